// The window as its logic (form/form1_logic.h) sees it: the controls the handlers read and
// change, the three timers, the modal boxes and the few services of the toolkit. One view per
// toolkit implements it (Qt on Linux, app/window; Win32 on Windows); the tests use a recording
// fake. Texts are UTF-8, everything else plain values: no toolkit type crosses this interface.
//
// Who does what. The view owns the widgets: it creates them with their layout, fonts, colours
// and static texts (caption, labels, pages, menu captions, the instructions: form/form_texts.h,
// form/port_items.h), and the keyboard behaviour (focus, tab order, Enter in the address field
// presses the read button while that is enabled). The logic owns the state and the behaviour:
// which texts, enabled states, check marks and timers are set when, the port and the boxes.
//
// Calls from the view into the logic, all on the window thread:
//   - once, after the controls exist and before the window is first shown: FormCreate;
//   - the read button pressed: Button3Click;
//   - the cyclic check box changed by the operator: CheckBox1Click, with the new state readable
//     through CyclicChecked (not for changes the logic makes through SetCyclicChecked);
//   - port item `i` (0..3 for "COM 1".."COM 4") chosen: PortItemClick(i); "Cохранить настройки"
//     chosen: C1Click. Neither while the menu is disabled;
//   - the menu "СОМ Порт" about to open: ExtraPortItems, whose items the view shows after
//     "COM 4" in place of those it showed before, as one radio group with the four; one of them
//     chosen: ExtraPortClick(its port_name);
//   - a started timer's tick: TimerTick(timer);
//   - the box opened with OpenNoticeBox closed, whichever way: NoticeBoxClosed;
//   - "Поиск прибора…" chosen (after the ports): SearchClick; the search box's events as
//     form/search_view.h lists them.
// The logic's handlers catch everything themselves; they never throw into the view.
//
// Calls from the logic into the view: window thread only, from inside a handler. Only
// ShowMessageBox, ShowExceptionBox and ProcessMessages may run the toolkit's message loop and so
// deliver further events to the logic before they return; every other operation returns without
// calling the logic back (OpenNoticeBox too: the box's closing comes later, as an event).
#pragma once

#include <string>

#include "form/dialog_box.h"
#include "form/search_view.h"

namespace form {

// The window's timers (designer names Time_is_out, LOGO, ClickerBtn).
enum class FormTimer { kTimeIsOut, kLogo, kClickerBtn };
inline constexpr int kFormTimerCount = 3;

// The indicator's fill, as red, green, blue: white 255, 255, 255; red 255, 0, 0.
enum class IndicatorFill { kWhite, kRed };

// The status bar's panels: 0 is 40 pixels wide, 1 takes the rest of the bar.
inline constexpr int kPortPanel = 0;   // the open port's name
inline constexpr int kReplyPanel = 1;  // the received frame or the unanswered-poll count

// SetCheckedPortItem's argument for "no port item checked".
inline constexpr int kNoPortItem = -1;

class Form1View {
 public:
  virtual ~Form1View() = default;

  // Edit1, the instrument's address: its text and whether the operator can edit it.
  virtual std::string AddressText() const = 0;
  virtual void SetAddressText(const std::string& text) = 0;
  virtual void SetAddressEnabled(bool enabled) = 0;

  // Button3, the read button.
  virtual void SetReadButtonEnabled(bool enabled) = 0;
  virtual void SetReadButtonCaption(const std::string& caption) = 0;

  // CheckBox1, cyclic polling. SetCyclicChecked only changes the mark: it does not call
  // CheckBox1Click (the logic runs that itself where a change by code must run it).
  virtual bool CyclicChecked() const = 0;
  virtual void SetCyclicChecked(bool checked) = 0;
  // Whether the operator can change it: not while a search runs.
  virtual void SetCyclicEnabled(bool enabled) = 0;

  // Memo1, the readings: empty it; append one line at the end.
  virtual void ClearMemo() = 0;
  virtual void AddMemoLine(const std::string& line) = 0;

  // Shape1, the indicator circle.
  virtual void SetIndicatorVisible(bool visible) = 0;
  virtual void SetIndicatorFill(IndicatorFill fill) = 0;

  // StaticText1, the line under the pages: the frame sent.
  virtual void SetStaticText(const std::string& text) = 0;

  // StatusBar1: the text of panel kPortPanel or kReplyPanel.
  virtual void SetStatusText(int panel, const std::string& text) = 0;

  // The main menu as a whole: while disabled none of its items can be chosen.
  virtual void SetMenuEnabled(bool enabled) = 0;
  // The radio group of the port items: checks item `index` (0..3) and unchecks the other
  // three; kNoPortItem unchecks all four.
  virtual void SetCheckedPortItem(int index) = 0;
  // Checks the extra port item of `port_name` and unchecks the four; the view keeps the name,
  // so that the item is checked whenever the menu shows it, until SetCheckedPortItem.
  virtual void SetCheckedExtraPort(const std::string& port_name) = 0;

  // Starts `timer` so that it ticks every `interval_ms` from now on; StopTimer stops it, and
  // no tick comes after. The logic starts only a stopped timer and stops only a running one.
  virtual void StartTimer(FormTimer timer, int interval_ms) = 0;
  virtual void StopTimer(FormTimer timer) = 0;

  // Shows `box` modally, over the window when it is shown, and returns mrOk when it was closed
  // with its OK button, else mrCancel (its Cancel button, Escape, the close button).
  virtual int ShowMessageBox(const DialogBox& box) = 0;
  // Shows `box` as ShowMessageBox does, but returns at once, so that the window's timers keep
  // ticking while it is up; when it is closed, the view calls the logic's NoticeBoxClosed. The
  // logic keeps at most one open.
  virtual void OpenNoticeBox(const DialogBox& box) = 0;
  // The toolkit's default box for an exception that escaped a handler:
  // ExceptionBoxOf(the application title, what), shown modally.
  virtual void ShowExceptionBox(const std::string& what) = 0;
  // Processes all pending window events and returns.
  virtual void ProcessMessages() = 0;
  // The application title: the task bar's text where the toolkit has one, and the caption of
  // the default exception box. Not the window's caption.
  virtual void SetApplicationTitle(const std::string& title) = 0;

  // The box of "Поиск прибора…" (form/search_view.h), one per window.
  virtual SearchView& SearchBoxView() = 0;
};

}  // namespace form
