// The operator window on Windows' own controls (user32, comctl32, gdi32): the controls, their
// layout at the monitor's DPI and keyboard order, and the view (form/form_view.h) through which
// the window's logic, form::Form1Logic, reads and changes them. The handlers and the state are
// the logic's; this class only turns the window's messages into calls of them.
// Window thread only.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/form1_logic.h"
#include "form/form_layout.h"
#include "form/form_view.h"
#include "form/trend_view.h"
#include "win32view/application.h"
#include "win32view/control_ids.h"

// After the serial seam's headers (through the logic's): it makes macros of names they declare.
#include <windows.h>
// And of DialogBox, for its DialogBoxW, which would rename the logic's.
#undef DialogBox

namespace win32view {

class SearchDialog;

// The window's own message that shows the box OpenNoticeBox left.
inline constexpr UINT kShowNoticeBox = WM_APP + 1;

class TForm1 : private form::Form1View, private form::TrendView {
  // Declared first: ComPort1 below refers into it.
  form::Form1Logic logic_;

 public:
  // Creates the window hidden with its controls, then runs the logic's FormCreate (which may
  // show boxes before the window).
  explicit TForm1(Application& app, form::FormPauses pauses = form::RealPauses());
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Shows the window centred on its monitor, the address field focused.
  void Show();
  HWND Handle() const { return window_; }
  form::Form1Logic& Logic() { return logic_; }

  // The logic's port.
  comport::TComPort& ComPort1;

 private:
  enum FontKind { kWindowFont, kMemoFont, kEditFont, kFontKinds };
  // A control and its place in its parent at 96 DPI; a label's size is its text's.
  struct Placement {
    HWND control;
    form::layout::Rect rect;
    FontKind font;
    bool sized_by_text;
  };

  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code, HWND control);
  void OnDrawShape(const DRAWITEMSTRUCT& item) const;
  LRESULT OnControlColour(HDC dc, HWND control);
  void ShowPage(int index);
  // Shows the box OpenNoticeBox left, from a message of its own (kShowNoticeBox).
  void ShowNoticeBox();

  // form1_controls.cpp: the window's definition.
  void CreateWindowAndControls();
  HWND AddControl(HWND parent, const wchar_t* window_class, std::string_view text, DWORD style,
                  DWORD ex_style, int id, const form::layout::Rect& rect, FontKind font,
                  bool sized_by_text = false);
  void CreateMenuBar();

  // form1_extra_ports.cpp: the menu opens; the ports present now replace the extra items.
  void ShowExtraPortItems();
  // Checks the extra item of checked_extra_, or none.
  void CheckExtraPortItem();
  // The extra item `command` stands for chosen.
  void OnExtraPortCommand(int command);
  // Sizes the window and places every control for `dpi` dots per inch, with fonts to match.
  void Layout(UINT dpi);

  // form1_trend.cpp: the page "ТРЕНД", its controls' commands (false: not theirs) and its view.
  void CreateTrendPage(HWND page);
  bool OnTrendCommand(HWND control, int code);
  void InvalidateTrend() override;
  void ShowTrendChoice(form::TrendSpan span, form::TrendQuantity quantity) override;
  std::optional<std::string> AskTrendFileName(const std::string& suggested_name) override;

  // form::Form1View
  std::string AddressText() const override;
  void SetAddressText(const std::string& text) override;
  void SetAddressEnabled(bool enabled) override;
  void SetReadButtonEnabled(bool enabled) override;
  void SetReadButtonCaption(const std::string& caption) override;
  bool CyclicChecked() const override;
  void SetCyclicChecked(bool checked) override;
  void SetCyclicEnabled(bool enabled) override;
  void ClearMemo() override;
  void AddMemoLine(const std::string& line) override;
  void SetIndicatorVisible(bool visible) override;
  void SetIndicatorFill(form::IndicatorFill fill) override;
  void SetStaticText(const std::string& text) override;
  void SetStatusText(int panel, const std::string& text) override;
  void SetMenuEnabled(bool enabled) override;
  void SetCheckedPortItem(int index) override;
  void SetCheckedExtraPort(const std::string& port_name) override;
  void StartTimer(form::FormTimer timer, int interval_ms) override;
  void StopTimer(form::FormTimer timer) override;
  int ShowMessageBox(const form::DialogBox& box) override;
  void OpenNoticeBox(const form::DialogBox& box) override;
  void ShowExceptionBox(const std::string& what) override;
  void ProcessMessages() override;
  void SetApplicationTitle(const std::string& title) override;
  form::SearchView& SearchBoxView() override;

  Application& app_;
  HWND window_ = nullptr;
  HWND PageControl1 = nullptr;
  std::array<HWND, 3> pages_{};  // TabSheet1, TabSheet2, TabSheet3
  HWND Memo1 = nullptr;
  HWND Edit1 = nullptr;
  HWND Button3 = nullptr;
  HWND Shape1 = nullptr;
  HWND CheckBox1 = nullptr;
  HWND StaticText1 = nullptr;
  HWND StatusBar1 = nullptr;
  HWND TrendSpan1 = nullptr;
  HWND TrendLevels = nullptr;
  HWND TrendVolumes = nullptr;
  HWND TrendSave = nullptr;
  HWND TrendPlot = nullptr;
  HMENU menu_bar_ = nullptr;
  HMENU N1 = nullptr;
  std::vector<form::ExtraPortItem> extra_ports_;  // the extra items, by command from the first
  std::string checked_extra_;                     // SetCheckedExtraPort's, until SetCheckedPortItem
  std::vector<Placement> placements_;
  std::array<HFONT, kFontKinds> fonts_{};
  UINT dpi_ = 96;
  form::IndicatorFill fill_ = form::IndicatorFill::kWhite;
  form::DialogBox notice_box_{};  // the box OpenNoticeBox opens
  bool menu_enabled_ = true;
  // Whether the memo holds lines, an empty first one included (its text alone cannot tell).
  bool memo_has_lines_ = false;
  // The control that gets the focus when the window is activated: the address field at first,
  // later the one that had it when the window was deactivated.
  HWND focus_ = nullptr;
  std::unique_ptr<SearchDialog> search_;  // made on first use
};

}  // namespace win32view
