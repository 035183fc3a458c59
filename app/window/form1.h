// The operator window: address entry, one-shot and cyclic polling, the indicator, the port menu
// and the settings file. Every handler runs on the window thread, entered through
// Application::Guard so that no exception crosses the event loop.
#pragma once

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "comport/com_port.h"
#include "exchange/comport_line.h"
#include "exchange/poll.h"
#include "exchange/reply_timeout.h"
#include "exchange/traced_port.h"
#include "readings/reply_decoder.h"
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

// The two waits of the port and settings handlers: a plain sleep of the window thread and
// DELAY_MS, which processes window events meanwhile. Tests pass shorter ones.
struct FormPauses {
  std::function<void(int)> sleep;
  std::function<void(int)> delay;
};
FormPauses RealPauses();

class TForm1 : public QMainWindow, private exchange::PollView, private exchange::ReplyTimeoutView {
 public:
  // Builds the controls, then runs FormCreate (which may show dialogs before the window).
  // `frame_trace` (VLK240_TRACE) records the port's events and every exchange's frames; it
  // must outlive the window. Null: no trace.
  explicit TForm1(Application& app, FormPauses pauses = RealPauses(),
                  trace::FrameTrace* frame_trace = nullptr);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Handlers.
  void FormCreate();
  void Button3Click();
  void CheckBox1Click();
  void ClickerBtnTimer();
  void LOGOTimer();
  void Time_is_outTimer();
  void COM11Click() { PortItemClick(0); }
  void COM21Click() { PortItemClick(1); }
  void COM31Click() { PortItemClick(2); }
  void COM41Click() { PortItemClick(3); }
  void C1Click() { SAVE_Params(); }

  // Routines.
  void POTOK_START();
  void ANALIZATOR();
  void READ_Params();
  void SAVE_Params();

  // The port items COM11..COM41 by index, in menu order.
  QAction* PortItem(std::size_t index) const { return port_actions_.at(index); }
  bool MenuEnabled() const;

  // Controls, by their designer names.
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
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
  QAction* C1 = nullptr;

  TTimer Time_is_out;
  TTimer LOGO;
  TTimer ClickerBtn;

  comport::TComPort ComPort1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void CreateMenu();
  void SetKeyboardOrder();
  void LoadPortDefinition();
  // The handler shared by the four port items.
  void PortItemClick(std::size_t index);
  void UncheckPortItems();
  // Closes the port; a failing close is not worth a box of its own.
  void ClosePortQuietly();
  // Opens the port released after a failure again, without a box; false when it still cannot
  // be opened, which panel 1 then says.
  bool ReopenLostPort();
  // Runs `handler` as an event handler: exceptions go to the default exception box.
  std::function<void()> Handler(void (TForm1::*handler)());

  // exchange::PollView
  void ClearPollTexts() override;
  void ProcessMessages() override;
  void ShowSentFrame(const std::string& text) override;
  void ArmReplyTimeout() override;
  void ShowErrorBox(const std::string& text) override;
  void ReleaseFailedPort() override;
  // exchange::ReplyTimeoutView
  void DisableReplyTimeout() override;
  std::int32_t ReplyTimeoutTag() const override;
  void SetReplyTimeoutTag(std::int32_t tag) override;
  void SetStatusPanel1(const std::string& text) override;

  Application& app_;
  FormPauses pauses_;
  std::array<QAction*, 4> port_actions_{};
  QActionGroup* port_group_ = nullptr;
  // The port failed during a poll and was released: the next poll opens it again first.
  bool reopen_before_poll_ = false;
  exchange::ComPortLine exchange_port_{ComPort1};
  trace::FrameTrace* frame_trace_;
  std::optional<exchange::TracedPort> traced_port_;  // with a trace only
  exchange::ExchangePort* worker_port_ = &exchange_port_;  // the port the worker is given
  readings::DecodedFields fields_;  // kept between replies, as the decoder expects
  bool centred_ = false;
};

}  // namespace window
