// The window's messages: the operator's commands, the timers' ticks, the indicator's painting,
// the pages, the keyboard focus, a change of the monitor's DPI and the box that does not wait.
#include <exception>

#include "form/port_items.h"
#include "win32view/form1.h"

// After the window's header, which includes <windows.h> in its place.
#include <commctrl.h>

namespace win32view {

LRESULT CALLBACK TForm1::WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    auto* self = static_cast<TForm1*>(create->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TForm1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  // No exception may cross the system's call of this procedure; the logic's handlers catch
  // their own, this is for the view's.
  try {
    return self->HandleMessage(message, wparam, lparam);
  } catch (const std::exception& error) {
    self->app_.ShowException(error.what());
  } catch (...) {
    self->app_.ShowException("Unknown exception");
  }
  return 0;
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITMENUPOPUP:
      if (reinterpret_cast<HMENU>(wparam) == N1) {
        ShowExtraPortItems();
        return 0;
      }
      break;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_TIMER:
      if (wparam >= 1 && wparam <= form::kFormTimerCount) {
        logic_.TimerTick(static_cast<form::FormTimer>(wparam - 1));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.hwndFrom == PageControl1 && header.code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(::SendMessageW(PageControl1, TCM_GETCURSEL, 0, 0)));
        return 0;
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.hwndItem == Shape1) {
        OnDrawShape(item);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLOREDIT:
      return OnControlColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_ACTIVATE:
      // The focus goes back where it was when the window is active again (after a box).
      if (LOWORD(wparam) == WA_INACTIVE) {
        if (const HWND focused = ::GetFocus(); focused != nullptr) focus_ = focused;
      } else if (focus_ != nullptr && ::IsWindowEnabled(focus_)) {
        ::SetFocus(focus_);
        return 0;
      }
      break;
    case WM_DPICHANGED: {
      Layout(HIWORD(wparam));
      const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
      ::SetWindowPos(window_, nullptr, suggested.left, suggested.top,
                     suggested.right - suggested.left, suggested.bottom - suggested.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case kShowNoticeBox:
      ShowNoticeBox();
      return 0;
    case WM_CLOSE:
      ::DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wparam, lparam);
}

void TForm1::OnCommand(int id, int code, HWND control) {
  if (id == IDOK) {
    // Enter after typing the address reads, as the button does (not while it is disabled).
    if (::GetFocus() == Edit1 && ::IsWindowEnabled(Button3)) logic_.Button3Click();
    return;
  }
  if (control == nullptr) {  // the menu
    const int port = id - kPortItemCommand;
    // The system grays the menu; a command sent while it is disabled is refused here too.
    if (!menu_enabled_) return;
    if (port >= 0 && port < static_cast<int>(form::kPortItems.size())) {
      logic_.PortItemClick(static_cast<std::size_t>(port));
    } else if (id == kSaveSettingsCommand) {
      logic_.C1Click();
    } else if (id == kSearchCommand) {
      logic_.SearchClick();
    } else {
      OnExtraPortCommand(id);
    }
    return;
  }
  if (OnTrendCommand(control, code)) return;
  if (control == Button3 && code == BN_CLICKED) {
    logic_.Button3Click();
  } else if (control == CheckBox1 && code == BN_CLICKED) {
    logic_.CheckBox1Click();
  } else if (control == Memo1 && code == EN_CHANGE) {
    if (::GetWindowTextLengthW(Memo1) == 0) memo_has_lines_ = false;
  }
}

void TForm1::OnDrawShape(const DRAWITEMSTRUCT& item) const {
  const RECT& box = item.rcItem;
  ::FillRect(item.hDC, &box, ::GetSysColorBrush(COLOR_BTNFACE));
  const COLORREF fill = fill_ == form::IndicatorFill::kRed ? RGB(255, 0, 0) : RGB(255, 255, 255);
  HBRUSH brush = ::CreateSolidBrush(fill);
  const HGDIOBJ old_brush = ::SelectObject(item.hDC, brush);
  const HGDIOBJ old_pen = ::SelectObject(item.hDC, ::GetStockObject(BLACK_PEN));
  ::Ellipse(item.hDC, box.left, box.top, box.right, box.bottom);
  ::SelectObject(item.hDC, old_pen);
  ::SelectObject(item.hDC, old_brush);
  ::DeleteObject(brush);
}

LRESULT TForm1::OnControlColour(HDC dc, HWND control) {
  // The address and the readings are blue on the edit's usual background.
  if (control == Edit1 || control == Memo1) ::SetTextColor(dc, RGB(0, 0, 255));
  ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
}

void TForm1::ShowPage(int index) {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    ::ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
  }
}

}  // namespace win32view
