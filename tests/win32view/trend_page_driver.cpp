// Drives a running vlk240.exe --demo to its trend page with data, for the trend page's
// screenshot (scripts/screenshot-trend-windows.sh): COM 1, cyclic polling for `seconds`, then
// the tab "ТРЕНД" clicked as an operator would. Exits 0 once the page shows, 1 otherwise.
//   trend_page_driver SECONDS
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <cwchar>

#include "child_control.h"
#include "win32view/control_ids.h"

namespace {

constexpr wchar_t kCaption[] = L"Программа опроса ВЛК240Т по RS485 c протоколом ModBus RTU";

LRESULT Send(HWND to, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(to, message, wparam, lparam, SMTO_NORMAL, 10000, &result);
  return static_cast<LRESULT>(result);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputws(L"usage: trend_page_driver SECONDS\n", stderr);
    return 2;
  }
  const long seconds = std::wcstol(argv[1], nullptr, 10);
  HWND window = nullptr;
  for (int i = 0; i < 300 && window == nullptr; ++i, ::Sleep(100)) {
    window = ::FindWindowW(win32view::kWindowClass, kCaption);
  }
  HWND tabs = nullptr;
  for (int i = 0; i < 300 && (tabs = ChildControl(window, win32view::kPageControl1)) == nullptr;
       ++i) {
    ::Sleep(100);
  }
  if (tabs == nullptr) return 1;
  Send(window, WM_COMMAND, win32view::kPortItemCommand);
  Send(ChildControl(window, win32view::kCheckBox1), BM_CLICK);
  ::Sleep(static_cast<DWORD>(seconds * 1000));

  // The tab's rectangle comes through a buffer in the window's process.
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(window, &process_id);
  const HANDLE process =
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
  void* remote = ::VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  const int trend_tab = static_cast<int>(Send(tabs, TCM_GETITEMCOUNT)) - 1;
  Send(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(trend_tab), reinterpret_cast<LPARAM>(remote));
  RECT tab{};
  ::ReadProcessMemory(process, remote, &tab, sizeof tab, nullptr);
  ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  ::CloseHandle(process);
  const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  ::PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(tabs, WM_LBUTTONUP, 0, at);
  const HWND plot = ChildControl(window, win32view::kTrendPlot);
  for (int i = 0; i < 50; ++i, ::Sleep(100)) {
    if (::IsWindowVisible(plot)) return 0;
  }
  return 1;
}
