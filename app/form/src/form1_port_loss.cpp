// A port that fails during a poll (the adapter pulled out, the line gone): it is released at
// once, and the following polls open it again without the operator.
#include "form/form1_logic.h"
#include "form/port_items.h"

namespace form {

// Called by the poll before its box, so the dead device is not held while the box is open: a
// replugged USB adapter then comes back under its old name.
void Form1Logic::ReleaseFailedPort() {
  ClosePortQuietly();
  view_.SetCheckedPortItem(kNoPortItem);
  view_.SetStatusText(kPortPanel, "");
  reopen_before_poll_ = true;
}

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
  if (const std::optional<std::size_t> index = PortItemIndex(ComPort1.Port())) {
    view_.SetCheckedPortItem(static_cast<int>(*index));
  }
  view_.SetStatusText(kPortPanel, ComPort1.Port());
  return true;
}

}  // namespace form
