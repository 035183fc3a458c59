// A port that fails during a poll (the adapter pulled out, the line gone): it is released at
// once, and the following polls open it again without the operator.
#include <QAction>

#include "window/form1.h"
#include "window/port_items.h"

namespace window {

// Called by the poll before its box, so the dead device is not held while the box is open: a
// replugged USB adapter then comes back under its old name.
void TForm1::ReleaseFailedPort() {
  ClosePortQuietly();
  UncheckPortItems();
  StatusBar1->SetPanelText(0, "");
  reopen_before_poll_ = true;
}

bool TForm1::ReopenLostPort() {
  try {
    ComPort1.SetConnected(true);
  } catch (const std::exception& error) {
    if (frame_trace_ != nullptr) frame_trace_->Failed(error.what());
    // Quietly: in cyclic mode every tick tries, and a box per tick would bury the window.
    ClearPollTexts();
    StatusBar1->SetPanelText(1, std::string(exchange::PORT_UNAVAILABLE_TEXT));
    return false;
  }
  reopen_before_poll_ = false;
  if (const std::optional<std::size_t> index = PortItemIndex(ComPort1.Port())) {
    port_actions_[*index]->setChecked(true);
  }
  StatusBar1->SetPanelText(0, ComPort1.Port());
  return true;
}

}  // namespace window
