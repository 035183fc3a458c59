// The Qt window as the logic's view: each operation on its widget, the timers, the boxes.
#include "window/form1.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>

#include "window/qt_text.h"
#include "window/search_dialog.h"

namespace window {

TForm1::TForm1(Application& app, FormPauses pauses, trace::FrameTrace* frame_trace,
               form::PortDiscovery discovery)
    : logic_(*this, std::move(pauses), frame_trace, std::move(discovery)),
      Time_is_out(form::TimerInterval(form::FormTimer::kTimeIsOut),
                  [this] { logic_.TimerTick(form::FormTimer::kTimeIsOut); }),
      LOGO(form::TimerInterval(form::FormTimer::kLogo),
           [this] { logic_.TimerTick(form::FormTimer::kLogo); }),
      ClickerBtn(form::TimerInterval(form::FormTimer::kClickerBtn),
                 [this] { logic_.TimerTick(form::FormTimer::kClickerBtn); }),
      ComPort1(logic_.ComPort1),
      app_(app) {
  CreateControls();
  logic_.FormCreate();
}

TForm1::~TForm1() {
  // A box still open goes while the logic it reports its closing to is still there.
  qDeleteAll(findChildren<QDialog*>(Qt::FindDirectChildrenOnly));
}

bool TForm1::MenuEnabled() const { return menuBar()->isEnabled(); }

TTimer& TForm1::TimerOf(form::FormTimer timer) {
  switch (timer) {
    case form::FormTimer::kTimeIsOut:
      return Time_is_out;
    case form::FormTimer::kLogo:
      return LOGO;
    case form::FormTimer::kClickerBtn:
      break;
  }
  return ClickerBtn;
}

std::string TForm1::AddressText() const { return Edit1->text().toStdString(); }

void TForm1::SetAddressText(const std::string& text) { Edit1->setText(Q(text)); }

void TForm1::SetAddressEnabled(bool enabled) { Edit1->setEnabled(enabled); }

void TForm1::SetReadButtonEnabled(bool enabled) { Button3->setEnabled(enabled); }

void TForm1::SetReadButtonCaption(const std::string& caption) { Button3->setText(Q(caption)); }

bool TForm1::CyclicChecked() const { return CheckBox1->isChecked(); }

void TForm1::SetCyclicChecked(bool checked) {
  // toggled runs the logic's handler for the operator's changes only.
  const QSignalBlocker quiet(CheckBox1);
  CheckBox1->setChecked(checked);
}

void TForm1::SetCyclicEnabled(bool enabled) { CheckBox1->setEnabled(enabled); }

void TForm1::ClearMemo() { Memo1->Clear(); }

void TForm1::AddMemoLine(const std::string& line) { Memo1->Add(line); }

void TForm1::SetIndicatorVisible(bool visible) { Shape1->setVisible(visible); }

void TForm1::SetIndicatorFill(form::IndicatorFill fill) {
  Shape1->SetBrushColor(fill == form::IndicatorFill::kRed ? Qt::red : Qt::white);
}

void TForm1::SetStaticText(const std::string& text) { StaticText1->setText(Q(text)); }

void TForm1::SetStatusText(int panel, const std::string& text) {
  StatusBar1->SetPanelText(panel, text);
}

void TForm1::SetMenuEnabled(bool enabled) { menuBar()->setEnabled(enabled); }

void TForm1::SetCheckedPortItem(int index) {
  checked_extra_.clear();
  for (QAction* item : extra_actions_) item->setChecked(false);
  for (std::size_t i = 0; i < port_actions_.size(); ++i) {
    port_actions_[i]->setChecked(static_cast<int>(i) == index);
  }
}

void TForm1::StartTimer(form::FormTimer timer, int interval_ms) {
  TTimer& started = TimerOf(timer);
  started.SetInterval(interval_ms);
  started.SetEnabled(true);
}

void TForm1::StopTimer(form::FormTimer timer) { TimerOf(timer).SetEnabled(false); }

int TForm1::ShowMessageBox(const form::DialogBox& box) { return app_.dialogs().Show(box); }

void TForm1::OpenNoticeBox(const form::DialogBox& box) {
  app_.dialogs().Open(box, this, [this] { logic_.NoticeBoxClosed(); });
}

void TForm1::ShowExceptionBox(const std::string& what) { app_.ShowException(what); }

void TForm1::ProcessMessages() { Application::ProcessMessages(); }

void TForm1::SetApplicationTitle(const std::string& title) { app_.SetTitle(title); }

form::SearchView& TForm1::SearchBoxView() {
  if (search_ == nullptr) search_ = new SearchDialog(this, logic_);
  return *search_;
}

}  // namespace window
