// A view without a toolkit: it holds what a window would show, logs every call of the logic in
// order, answers boxes from a script, and plays the operator and the timers.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "form/form1_logic.h"
#include "form/form_view.h"
#include "form/search_view.h"

namespace form::testing {

// The search box: what it shows, and its calls in order in the window's log.
class RecordingSearchBox : public SearchView {
 public:
  explicit RecordingSearchBox(std::vector<std::string>& log) : log_(log) {}

  bool open = false;
  int total = 0;
  int progress = 0;
  std::vector<std::string> rows;
  std::string status;
  bool cancel_enabled = false;
  bool choose_enabled = false;
  std::function<void()> on_progress;  // runs after each progress step, as the operator might

  void OpenSearchBox(int total_addresses) override {
    open = true;
    total = total_addresses;
    progress = 0;
    rows.clear();
    status.clear();
    log_.push_back("search box opened");
  }
  void CloseSearchBox() override {
    open = false;
    log_.push_back("search box closed");
  }
  void SetSearchProgress(int done) override {
    progress = done;
    if (on_progress) on_progress();
  }
  void AddSearchRow(const std::string& text) override { rows.push_back(text); }
  void SetSearchStatus(const std::string& text) override { status = text; }
  void SetSearchButtons(bool cancel, bool choose) override {
    cancel_enabled = cancel;
    choose_enabled = choose;
  }

 private:
  std::vector<std::string>& log_;
};

inline const char* TimerName(FormTimer timer) {
  switch (timer) {
    case FormTimer::kTimeIsOut:
      return "Time_is_out";
    case FormTimer::kLogo:
      return "LOGO";
    case FormTimer::kClickerBtn:
      return "ClickerBtn";
  }
  return "?";
}

class RecordingView : public Form1View {
 public:
  // What the window shows; the initial values are the designer's.
  std::string address = "Edit1";
  bool address_enabled = true;
  bool button_enabled = true;
  std::string button_caption = "ЧТЕНИЕ ПОКАЗАНИЙ ВЛК240Т";
  bool cyclic = false;
  bool cyclic_enabled = true;
  std::vector<std::string> memo{"Memo1"};
  bool indicator_visible = false;
  IndicatorFill fill = IndicatorFill::kWhite;
  std::string static_text = "StaticText1";
  std::array<std::string, 2> panels;
  bool menu_enabled = true;
  int checked_item = kNoPortItem;
  std::string checked_extra;                               // the extra port item checked, if any
  std::array<std::optional<int>, kFormTimerCount> timers;  // the interval of a running timer
  std::string title;

  std::vector<std::string> log;  // every call, in order
  std::vector<DialogBox> boxes;  // every box shown, the exception boxes too
  std::deque<int> answers;       // how the next boxes are closed (OK when none is left)
  std::function<void()> in_box;  // runs while a box is open, as its modal loop would
  bool notice_open = false;      // a box opened with OpenNoticeBox is still up
  RecordingSearchBox search{log};

  bool Running(FormTimer timer) const { return timers[Index(timer)].has_value(); }
  int Interval(FormTimer timer) const { return timers[Index(timer)].value_or(0); }

  // The operator changes the check box; a running timer ticks (a stopped one cannot).
  void ClickCyclic(Form1Logic& logic, bool checked) {
    cyclic = checked;
    logic.CheckBox1Click();
  }
  void Tick(Form1Logic& logic, FormTimer timer) {
    if (Running(timer)) logic.TimerTick(timer);
  }
  // The operator closes the box that OpenNoticeBox left open.
  void CloseNotice(Form1Logic& logic) {
    notice_open = false;
    logic.NoticeBoxClosed();
  }

  std::string AddressText() const override { return address; }
  void SetAddressText(const std::string& text) override {
    address = text;
    log.push_back("address '" + text + "'");
  }
  void SetAddressEnabled(bool enabled) override {
    address_enabled = enabled;
    log.push_back(enabled ? "address enabled" : "address disabled");
  }
  void SetReadButtonEnabled(bool enabled) override {
    button_enabled = enabled;
    log.push_back(enabled ? "button enabled" : "button disabled");
  }
  void SetReadButtonCaption(const std::string& caption) override {
    button_caption = caption;
    log.push_back("button '" + caption + "'");
  }
  bool CyclicChecked() const override { return cyclic; }
  void SetCyclicChecked(bool checked) override {
    cyclic = checked;
    log.push_back(checked ? "cyclic checked" : "cyclic unchecked");
  }
  void SetCyclicEnabled(bool enabled) override {
    cyclic_enabled = enabled;
    log.push_back(enabled ? "cyclic enabled" : "cyclic disabled");
  }
  void ClearMemo() override {
    memo.clear();
    log.push_back("memo cleared");
  }
  void AddMemoLine(const std::string& line) override {
    memo.push_back(line);
    log.push_back("memo + '" + line + "'");
  }
  void SetIndicatorVisible(bool visible) override {
    indicator_visible = visible;
    log.push_back(visible ? "indicator shown" : "indicator hidden");
  }
  void SetIndicatorFill(IndicatorFill value) override {
    fill = value;
    log.push_back(value == IndicatorFill::kRed ? "indicator red" : "indicator white");
  }
  void SetStaticText(const std::string& text) override {
    static_text = text;
    log.push_back("static text '" + text + "'");
  }
  void SetStatusText(int panel, const std::string& text) override {
    panels.at(static_cast<std::size_t>(panel)) = text;
    log.push_back("panel " + std::to_string(panel) + " '" + text + "'");
  }
  void SetMenuEnabled(bool enabled) override {
    menu_enabled = enabled;
    log.push_back(enabled ? "menu enabled" : "menu disabled");
  }
  void SetCheckedPortItem(int index) override {
    checked_item = index;
    checked_extra.clear();
    log.push_back(index == kNoPortItem ? "no item checked" : "item " + std::to_string(index));
  }
  void SetCheckedExtraPort(const std::string& port_name) override {
    checked_item = kNoPortItem;
    checked_extra = port_name;
    log.push_back("extra item " + port_name);
  }
  void StartTimer(FormTimer timer, int interval_ms) override {
    timers[Index(timer)] = interval_ms;
    log.push_back(std::string("start ") + TimerName(timer));
  }
  void StopTimer(FormTimer timer) override {
    timers[Index(timer)].reset();
    log.push_back(std::string("stop ") + TimerName(timer));
  }
  int ShowMessageBox(const DialogBox& box) override { return Show(box); }
  void OpenNoticeBox(const DialogBox& box) override {
    boxes.push_back(box);
    log.push_back("open box " + box.caption + ": " + box.text);
    notice_open = true;
  }
  void ShowExceptionBox(const std::string& what) override { Show(ExceptionBoxOf(title, what)); }
  void ProcessMessages() override { log.push_back("process messages"); }
  SearchView& SearchBoxView() override { return search; }
  void SetApplicationTitle(const std::string& text) override {
    title = text;
    log.push_back("title '" + text + "'");
  }

 private:
  static std::size_t Index(FormTimer timer) { return static_cast<std::size_t>(timer); }

  int Show(const DialogBox& box) {
    boxes.push_back(box);
    log.push_back("box " + box.caption + ": " + box.text);
    if (in_box) in_box();
    if (answers.empty()) return mrOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace form::testing
