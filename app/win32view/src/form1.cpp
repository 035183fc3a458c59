// The Win32 window as the logic's view: each operation on its control, the timers, the boxes.
#include "win32view/form1.h"

#include <commctrl.h>

#include "form/port_items.h"
#include "runtime/win32_text.h"
#include "win32view/search_dialog.h"

namespace win32view {
namespace {

using runtime::Utf8FromWide;
using runtime::WideFromUtf8;

void SetText(HWND control, std::string_view text) {
  ::SetWindowTextW(control, WideFromUtf8(text).c_str());
}

// The timers' identifiers, as SetTimer and WM_TIMER carry them: the FormTimer's value plus one.
UINT_PTR TimerId(form::FormTimer timer) { return static_cast<UINT_PTR>(timer) + 1; }

}  // namespace

TForm1::TForm1(Application& app, form::FormPauses pauses)
    : logic_(*this, std::move(pauses)), ComPort1(logic_.ComPort1), app_(app) {
  CreateWindowAndControls();
  app_.SetMainWindow(window_);
  logic_.FormCreate();
}

TForm1::~TForm1() {
  app_.SetMainWindow(nullptr);
  search_.reset();  // owned by the window: it goes first
  if (::IsWindow(window_)) ::DestroyWindow(window_);
  for (HFONT font : fonts_) ::DeleteObject(font);
}

void TForm1::Show() {
  RECT frame{};
  ::GetWindowRect(window_, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  ::SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(window_, SW_SHOW);
  ::UpdateWindow(window_);
  ::SetFocus(Edit1);
}

std::string TForm1::AddressText() const {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(Edit1)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(Edit1, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

void TForm1::SetAddressText(const std::string& text) { SetText(Edit1, text); }

void TForm1::SetAddressEnabled(bool enabled) { ::EnableWindow(Edit1, enabled); }

void TForm1::SetReadButtonEnabled(bool enabled) { ::EnableWindow(Button3, enabled); }

void TForm1::SetReadButtonCaption(const std::string& caption) { SetText(Button3, caption); }

bool TForm1::CyclicChecked() const {
  return ::SendMessageW(CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm1::SetCyclicChecked(bool checked) {
  // BM_SETCHECK sends no BN_CLICKED: the handler runs for the operator's changes only.
  ::SendMessageW(CheckBox1, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TForm1::SetCyclicEnabled(bool enabled) { ::EnableWindow(CheckBox1, enabled); }

form::SearchView& TForm1::SearchBoxView() {
  if (!search_) search_ = std::make_unique<SearchDialog>(window_, logic_);
  return *search_;
}

void TForm1::ClearMemo() {
  ::SetWindowTextW(Memo1, L"");
  memo_has_lines_ = false;
}

void TForm1::AddMemoLine(const std::string& line) {
  const bool after_a_line = memo_has_lines_ || ::GetWindowTextLengthW(Memo1) > 0;
  const std::wstring text = (after_a_line ? L"\r\n" : L"") + WideFromUtf8(line);
  const LPARAM end = ::GetWindowTextLengthW(Memo1);
  ::SendMessageW(Memo1, EM_SETSEL, static_cast<WPARAM>(end), end);
  ::SendMessageW(Memo1, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  memo_has_lines_ = true;
}

void TForm1::SetIndicatorVisible(bool visible) {
  ::ShowWindow(Shape1, visible ? SW_SHOWNA : SW_HIDE);
}

void TForm1::SetIndicatorFill(form::IndicatorFill fill) {
  if (fill == fill_) return;
  fill_ = fill;
  ::InvalidateRect(Shape1, nullptr, FALSE);
}

void TForm1::SetStaticText(const std::string& text) { SetText(StaticText1, text); }

void TForm1::SetStatusText(int panel, const std::string& text) {
  ::SendMessageW(StatusBar1, SB_SETTEXTW, static_cast<WPARAM>(panel),
                 reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str()));
}

void TForm1::SetMenuEnabled(bool enabled) {
  menu_enabled_ = enabled;
  ::EnableMenuItem(menu_bar_, 0, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
  ::DrawMenuBar(window_);
}

void TForm1::SetCheckedPortItem(int index) {
  checked_extra_.clear();
  CheckExtraPortItem();
  const UINT first = kPortItemCommand;
  const UINT last = kPortItemCommand + static_cast<UINT>(form::kPortItems.size()) - 1;
  if (index == form::kNoPortItem) {
    for (UINT item = first; item <= last; ++item) ::CheckMenuItem(N1, item, MF_UNCHECKED);
  } else {
    ::CheckMenuRadioItem(N1, first, last, first + static_cast<UINT>(index), MF_BYCOMMAND);
  }
}

void TForm1::StartTimer(form::FormTimer timer, int interval_ms) {
  ::SetTimer(window_, TimerId(timer), static_cast<UINT>(interval_ms), nullptr);
}

void TForm1::StopTimer(form::FormTimer timer) { ::KillTimer(window_, TimerId(timer)); }

int TForm1::ShowMessageBox(const form::DialogBox& box) { return app_.ShowBox(box); }

void TForm1::OpenNoticeBox(const form::DialogBox& box) {
  notice_box_ = box;
  if (!::PostMessageW(window_, kShowNoticeBox, 0, 0)) logic_.NoticeBoxClosed();
}

void TForm1::ShowNoticeBox() {
  // The handler that opened the box has returned by now, and the box's modal loop dispatches
  // WM_TIMER to this window as the main loop does: the logic's timers go on while it is up.
  app_.ShowBox(notice_box_);
  logic_.NoticeBoxClosed();
}

void TForm1::ShowExceptionBox(const std::string& what) { app_.ShowException(what); }

void TForm1::ProcessMessages() { Application::ProcessMessages(); }

void TForm1::SetApplicationTitle(const std::string& title) { app_.SetTitle(title); }

}  // namespace win32view
