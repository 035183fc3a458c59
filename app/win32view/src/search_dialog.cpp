#include "win32view/search_dialog.h"

#include <commctrl.h>

#include "form/search_texts.h"
#include "runtime/win32_text.h"
#include "win32view/control_ids.h"

namespace win32view {
namespace {

using runtime::WideFromUtf8;

// The box's client area and its controls, in pixels at 96 DPI.
constexpr int kWidth = 520;
constexpr int kHeight = 320;
constexpr int kMargin = 10;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 26;

void RegisterBoxClass(WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kSearchBoxClass, &window_class)) return;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kSearchBoxClass;
  ::RegisterClassExW(&window_class);
}

}  // namespace

SearchDialog::SearchDialog(HWND owner, form::Form1Logic& logic) : logic_(logic) {
  RegisterBoxClass(&SearchDialog::BoxProcedure);
  RECT frame{0, 0, kWidth, kHeight};
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_DLGMODALFRAME);
  box_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME, kSearchBoxClass,
                           WideFromUtf8(form::texts::kSearchCaption).c_str(), kStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, owner,
                           nullptr, ::GetModuleHandleW(nullptr), this);
  font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const auto add = [this](const wchar_t* window_class, std::string_view text, DWORD style,
                          DWORD ex_style, int id, int left, int top, int width, int height) {
    const HWND control = ::CreateWindowExW(ex_style, window_class, WideFromUtf8(text).c_str(),
                                           WS_CHILD | WS_VISIBLE | style, left, top, width, height,
                                           box_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                           ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
  };
  const int inner = kWidth - 2 * kMargin;
  const int buttons_top = kHeight - kMargin - kButtonHeight;
  progress_ = add(PROGRESS_CLASSW, "", 0, 0, kSearchProgress, kMargin, kMargin, inner, 18);
  list_ = add(WC_LISTBOXW, "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE, kSearchList, kMargin, 36, inner, buttons_top - 36 - 48);
  status_ =
      add(WC_STATICW, "", SS_NOPREFIX, 0, kSearchStatus, kMargin, buttons_top - 42, inner, 36);
  choose_ =
      add(WC_BUTTONW, form::texts::kSearchChoose, BS_PUSHBUTTON | WS_TABSTOP, 0, kSearchChoose,
          kWidth - kMargin - 2 * kButtonWidth - 8, buttons_top, kButtonWidth, kButtonHeight);
  cancel_ =
      add(WC_BUTTONW, form::texts::kSearchCancel, BS_PUSHBUTTON | WS_TABSTOP, 0, kSearchCancel,
          kWidth - kMargin - kButtonWidth, buttons_top, kButtonWidth, kButtonHeight);
}

SearchDialog::~SearchDialog() {
  if (::IsWindow(box_)) ::DestroyWindow(box_);
}

LRESULT CALLBACK SearchDialog::BoxProcedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<SearchDialog*>(::GetWindowLongPtrW(box, GWLP_USERDATA));
  if (self == nullptr || self->box_ != box) return ::DefWindowProcW(box, message, wparam, lparam);
  return self->HandleMessage(message, wparam, lparam);
}

LRESULT SearchDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      // The message loop's dialog manager turns Enter in the list into IDOK and Escape
      // anywhere in the box into IDCANCEL.
      if ((id == kSearchList && code == LBN_DBLCLK) ||
          (id == kSearchChoose && code == BN_CLICKED) || id == IDOK) {
        ChooseCurrent();
      } else if (id == kSearchCancel && code == BN_CLICKED) {
        logic_.SearchCancel();
      } else if (id == IDCANCEL) {
        CloseByOperator();
      }
      return 0;
    }
    case WM_CLOSE:
      CloseByOperator();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(box_, message, wparam, lparam);
}

void SearchDialog::ChooseCurrent() {
  logic_.SearchChoose(static_cast<int>(::SendMessageW(list_, LB_GETCURSEL, 0, 0)));
}

void SearchDialog::CloseByOperator() {
  ::ShowWindow(box_, SW_HIDE);
  logic_.SearchBoxClosed();
}

void SearchDialog::OpenSearchBox(int total) {
  ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  ::SetWindowTextW(status_, L"");
  ::SendMessageW(progress_, PBM_SETRANGE32, 0, total);
  ::SendMessageW(progress_, PBM_SETPOS, 0, 0);
  // Over the middle of its owner.
  RECT owner{};
  RECT own{};
  ::GetWindowRect(::GetWindow(box_, GW_OWNER), &owner);
  ::GetWindowRect(box_, &own);
  ::SetWindowPos(box_, nullptr,
                 owner.left + (owner.right - owner.left - (own.right - own.left)) / 2,
                 owner.top + (owner.bottom - owner.top - (own.bottom - own.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(box_, SW_SHOW);
  ::SetForegroundWindow(box_);
  ::SetFocus(list_);
}

void SearchDialog::CloseSearchBox() { ::ShowWindow(box_, SW_HIDE); }

void SearchDialog::SetSearchProgress(int done) {
  ::SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(done), 0);
}

void SearchDialog::AddSearchRow(const std::string& text) {
  ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str()));
  // The first row is selected at once, so Enter chooses it without a click.
  if (::SendMessageW(list_, LB_GETCURSEL, 0, 0) == LB_ERR)
    ::SendMessageW(list_, LB_SETCURSEL, 0, 0);
}

void SearchDialog::SetSearchStatus(const std::string& text) {
  ::SetWindowTextW(status_, WideFromUtf8(text).c_str());
}

void SearchDialog::SetSearchButtons(bool cancel_enabled, bool choose_enabled) {
  ::EnableWindow(cancel_, cancel_enabled);
  ::EnableWindow(choose_, choose_enabled);
}

}  // namespace win32view
