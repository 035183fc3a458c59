// The operator window in Qt: the controls, their layout and keyboard order, and the view
// (form/form_view.h) through which the window's logic, form::Form1Logic, reads and changes
// them. The handlers and the state are the logic's; this class only wires the widgets' signals
// and the timers to them. Window thread only.
#pragma once

#include <QMainWindow>
#include <array>
#include <string>
#include <vector>

#include "form/form1_logic.h"
#include "form/form_view.h"
#include "form/port_items.h"
#include "trace/frame_trace.h"
#include "window/toolkit/application.h"
#include "window/toolkit/memo.h"
#include "window/toolkit/shape.h"
#include "window/toolkit/status_bar.h"
#include "window/toolkit/timer.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;

namespace window {

class SearchDialog;
class TrendSheet;

using form::FormPauses;
using form::RealPauses;

class TForm1 : public QMainWindow, private form::Form1View {
  // Declared first: ComPort1 below refers into it.
  form::Form1Logic logic_;

 public:
  // Builds the controls, then runs the logic's FormCreate (which may show boxes before the
  // window). `frame_trace` (VLK240_TRACE) goes to the logic; null: no trace.
  // `discovery` lists the ports the menu offers after "COM 4".
  explicit TForm1(Application& app, FormPauses pauses = RealPauses(),
                  trace::FrameTrace* frame_trace = nullptr,
                  form::PortDiscovery discovery = form::SystemPortDiscovery());
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  form::Form1Logic& Logic() { return logic_; }

  // The port items COM11..COM41 by index, in menu order.
  QAction* PortItem(std::size_t index) const { return port_actions_.at(index); }
  // The items after "COM 4", as the menu last opened them.
  const std::vector<QAction*>& ExtraPortItems() const { return extra_actions_; }
  bool MenuEnabled() const;
  // The search box, once the search has been used; null before.
  SearchDialog* SearchBox() const { return search_; }

  // Controls, by their designer names.
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  TrendSheet* TabSheet3 = nullptr;  // "ТРЕНД"
  TMemo* Memo1 = nullptr;
  QFrame* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button3 = nullptr;
  TShape* Shape1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QLabel* StaticText1 = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  QMenu* N1 = nullptr;
  QAction* COM11 = nullptr;
  QAction* COM21 = nullptr;
  QAction* COM31 = nullptr;
  QAction* COM41 = nullptr;
  QAction* N5 = nullptr;
  QAction* Search = nullptr;  // "Поиск прибора…"
  QAction* C1 = nullptr;

  // The timers; each tick goes to the logic's TimerTick.
  TTimer Time_is_out;
  TTimer LOGO;
  TTimer ClickerBtn;

  // The logic's port.
  comport::TComPort& ComPort1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void CreateMenu();
  void SetKeyboardOrder();
  // F10 opens the menu "СОМ Порт", as it does on Windows.
  void OpenMenuFromKeyboard();
  // The menu opens: the ports present now replace the extra items it had.
  void ShowExtraPortItems();
  TTimer& TimerOf(form::FormTimer timer);

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
  std::array<QAction*, form::kPortItems.size()> port_actions_{};
  QActionGroup* port_group_ = nullptr;
  std::vector<QAction*> extra_actions_;  // each holds its port name as data
  std::string checked_extra_;            // SetCheckedExtraPort's, until SetCheckedPortItem
  bool centred_ = false;
  SearchDialog* search_ = nullptr;  // a child, made on first use
};

}  // namespace window
