// Finding a control of another process's window, as the programs that drive vlk240.exe do.
#pragma once

#include <windows.h>

// The child of `window` with the control id `id`, at any depth (the pages' controls sit in
// the tab control), or null.
inline HWND ChildControl(HWND window, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        if (::GetDlgCtrlID(child) != s.id) return TRUE;
        s.found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}
