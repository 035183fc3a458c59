#include "win32view/application.h"

#include <windows.h>
// <windows.h> makes DialogBox a macro for its DialogBoxW, which would rename the logic's.
#undef DialogBox

#include <commctrl.h>

#include "runtime/win32_text.h"

namespace win32view {
namespace {

// The main window: its controls and those of the boxes it owns are the ones Tab, Shift+Tab,
// Enter and Escape move between and press. Window thread only.
HWND g_keyboard_window = nullptr;

// The top-level window of ours that a key sent to `target` is for: the main window or a box it
// owns (the search box), or null. The task dialogs run their own loops and never get here.
HWND KeyboardWindowOf(HWND target) {
  if (g_keyboard_window == nullptr || target == nullptr) return nullptr;
  const HWND root = ::GetAncestor(target, GA_ROOT);
  return root == g_keyboard_window || ::GetWindow(root, GW_OWNER) == g_keyboard_window ? root
                                                                                       : nullptr;
}

// A box breaks its lines at CR LF or LF; the window's texts break at a lone CR.
std::wstring BoxText(std::string_view text) {
  std::wstring wide = runtime::WideFromUtf8(text);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == L'\r' && (i + 1 == wide.size() || wide[i + 1] != L'\n')) {
      wide.insert(i + 1, 1, L'\n');
    }
  }
  return wide;
}

// Tab and Shift+Tab move the focus on from every control of the keyboard window, the memo too:
// a multi-line edit would take Tab as text, and the readings hold none.
bool MoveFocus(const MSG& msg) {
  if (g_keyboard_window == nullptr || msg.message != WM_KEYDOWN || msg.wParam != VK_TAB ||
      (::GetKeyState(VK_CONTROL) & 0x8000) != 0 || !::IsChild(g_keyboard_window, msg.hwnd)) {
    return false;
  }
  const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
  if (const HWND next = ::GetNextDlgTabItem(g_keyboard_window, ::GetFocus(), back)) {
    ::SetFocus(next);
  }
  return true;
}

// Dispatches one message, after the keyboard window had its turn at it.
void Dispatch(MSG& msg) {
  if (MoveFocus(msg)) return;
  if (const HWND keyboard = KeyboardWindowOf(msg.hwnd);
      keyboard != nullptr && ::IsDialogMessageW(keyboard, &msg)) {
    return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

}  // namespace

void Application::SetMainWindow(HWND window) {
  main_window_ = window;
  g_keyboard_window = window;
}

int Application::ShowBox(const form::DialogBox& box) {
  const std::wstring caption = runtime::WideFromUtf8(box.caption);
  const std::wstring text = BoxText(box.text);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  // Over the window once it is shown; the boxes of the start come before it, on their own.
  config.hwndParent =
      main_window_ != nullptr && ::IsWindowVisible(main_window_) ? main_window_ : nullptr;
  // Escape and the close button close the box too, as Cancel does.
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION |
                   (config.hwndParent != nullptr ? TDF_POSITION_RELATIVE_TO_WINDOW : 0);
  config.pszWindowTitle = caption.c_str();
  config.pszContent = text.c_str();
  config.dwCommonButtons =
      box.button == form::TMsgDlgBtn::mbOK ? TDCBF_OK_BUTTON : TDCBF_CANCEL_BUTTON;
  switch (box.icon) {
    case form::DialogIcon::kExclamation:
      config.pszMainIcon = TD_WARNING_ICON;
      break;
    case form::DialogIcon::kStop:
      config.pszMainIcon = TD_ERROR_ICON;
      break;
    case form::DialogIcon::kQuestion:
      // The task dialog has no question mark of its own; the system's icon serves.
      config.dwFlags |= TDF_USE_HICON_MAIN;
      config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
      break;
  }
  int pressed = IDCANCEL;
  if (FAILED(::TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) return form::mrCancel;
  return pressed == IDOK ? form::mrOk : form::mrCancel;
}

void Application::ShowException(std::string_view what) noexcept {
  // A failing box must not throw out of a message handler.
  try {
    ShowBox(form::ExceptionBoxOf(title_, what));
  } catch (...) {
  }
}

int Application::Run() {
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
  return static_cast<int>(msg.wParam);
}

void Application::ProcessMessages() {
  MSG msg{};
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void Application::PumpMessagesBriefly() {
  ProcessMessages();
  ::Sleep(1);
}

}  // namespace win32view
