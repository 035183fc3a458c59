#include "win32view/comport_toolkit.h"

#include <windows.h>

#include <memory>
#include <string>

#include "runtime/main_thread.h"

namespace win32view {
namespace {

constexpr wchar_t kReceiverClass[] = L"VlkComportToolkit";
// lparam: a std::string* with the exception's text, which the receiver deletes.
constexpr UINT kShowException = WM_APP + 1;
constexpr UINT kSynchronize = WM_APP + 2;

// The receiver's window procedure; its window's user data is the Application.
LRESULT CALLBACK ReceiverProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* app = reinterpret_cast<Application*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case kShowException: {
      const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lparam));
      if (app != nullptr) app->ShowException(*text);
      return 0;
    }
    case kSynchronize:
      // No exception may cross the system's call of this procedure.
      try {
        runtime::CheckSynchronize();
      } catch (const std::exception& error) {
        if (app != nullptr) app->ShowException(error.what());
      }
      return 0;
    default:
      return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

ComportToolkit::ComportToolkit(Application& app)
    : app_(app), window_thread_(::GetCurrentThreadId()) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &ReceiverProcedure;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = kReceiverClass;
  ::RegisterClassExW(&window_class);
  receiver_ = ::CreateWindowExW(0, kReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                window_class.hInstance, nullptr);
  ::SetWindowLongPtrW(receiver_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&app_));
}

ComportToolkit::~ComportToolkit() {
  // The texts of exceptions still queued are freed; the messages would go nowhere.
  MSG msg{};
  while (::PeekMessageW(&msg, receiver_, kShowException, kShowException, PM_REMOVE)) {
    delete reinterpret_cast<std::string*>(msg.lParam);
  }
  ::DestroyWindow(receiver_);
}

void ComportToolkit::HandleException(const std::exception& error) {
  if (::GetCurrentThreadId() == window_thread_) {
    app_.ShowException(error.what());
    return;
  }
  // The exception object belongs to the caller; only its text crosses threads.
  auto text = std::make_unique<std::string>(error.what());
  if (::PostMessageW(receiver_, kShowException, 0, reinterpret_cast<LPARAM>(text.get()))) {
    text.release();
  }
}

void ComportToolkit::WakeMainThread() { ::PostMessageW(receiver_, kSynchronize, 0, 0); }

}  // namespace win32view
