// A port that fails during a poll (the adapter pulled out, the line gone): it is released at
// once, one box tells of it, and the following polls open it again without the operator, the
// box still open or not.
#include <utility>

#include "form/form1_logic.h"

namespace form {

// The dead device is not held: a replugged USB adapter then comes back under its old name, and
// the next poll opens it again.
void Form1Logic::ReleasePort() {
  ClosePortQuietly();
  view_.SetCheckedPortItem(kNoPortItem);
  view_.SetStatusText(kPortPanel, "");
  reopen_before_poll_ = true;
}

// Called by the poll before its box, so the port is let go while the box is open.
void Form1Logic::ReleaseFailedPort() {
  ReleasePort();
  loss_to_report_ = true;
  trend_.RecordPortLoss(polled_address_);
}

void Form1Logic::ShowErrorBox(const std::string& text) {
  if (!std::exchange(loss_to_report_, false)) {
    MessageDlg(text, TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
    return;
  }
  // An unattended station must not wait for someone to close the box: it stays up while the
  // ticks go on reopening the port. A box still open tells of the line's loss already.
  if (notice_box_open_) return;
  notice_box_open_ = true;
  try {
    view_.OpenNoticeBox(MessageBoxOf(text, TMsgDlgType::mtError, TMsgDlgBtn::mbCancel));
  } catch (...) {
    notice_box_open_ = false;
    throw;
  }
}

void Form1Logic::NoticeBoxClosed() { notice_box_open_ = false; }

bool Form1Logic::ReopenLostPort() {
  try {
    ComPort1.SetConnected(true);
  } catch (const std::exception& error) {
    if (frame_trace_ != nullptr) frame_trace_->Failed(error.what());
    // Quietly: in cyclic mode every tick tries, and a box per tick would bury the window.
    ClearPollTexts();
    view_.SetStatusText(kReplyPanel, std::string(exchange::PORT_UNAVAILABLE_TEXT));
    return false;
  }
  reopen_before_poll_ = false;
  CheckPortItemOf(ComPort1.Port());
  view_.SetStatusText(kPortPanel, ComPort1.Port());
  return true;
}

}  // namespace form
