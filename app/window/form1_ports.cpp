// The port menu and the settings file "user.ini".
#include <QAction>

#include "window/form1.h"
#include "window/form_texts.h"
#include "window/port_items.h"
#include "window/settings_file.h"

namespace window {

void TForm1::PortItemClick(std::size_t index) {
  const PortMenuItem& item = kPortItems.at(index);
  if (ComPort1.Connected() && ComPort1.Port() == item.port_name) return;
  // The operator's choice takes the place of reopening a port lost during a poll.
  reopen_before_poll_ = false;
  try {
    ComPort1.SetConnected(false);
    app_.ProcessMessages();
    pauses_.sleep(300);
    ComPort1.SetPort(std::string(item.port_name));
    pauses_.sleep(300);
    ComPort1.SetConnected(true);
    StatusBar1->SetPanelText(0, ComPort1.Port());
  } catch (const std::exception& error) {
    if (frame_trace_ != nullptr) frame_trace_->Failed(error.what());
    // The item's own message replaces the port error.
    ClosePortQuietly();
    UncheckPortItems();
    StatusBar1->SetPanelText(0, "");
    MessageDlg(app_, item.open_failure, TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
  }
}

void TForm1::UncheckPortItems() {
  for (QAction* item : port_actions_) item->setChecked(false);
}

void TForm1::ClosePortQuietly() {
  try {
    ComPort1.SetConnected(false);
  } catch (const std::exception&) {
  }
}

void TForm1::READ_Params() {
  const std::filesystem::path path = SettingsFilePath();
  if (!SettingsFileExists(path)) return;
  pauses_.delay(150);
  const SettingsReadResult result = ReadSettingsFile(path);
  if (result.status == SettingsReadStatus::kMissing) return;  // gone since the check
  if (result.status == SettingsReadStatus::kFailed) {
    MessageDlg(app_, texts::kReadFailed, TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
    return;
  }
  pauses_.delay(150);
  if (const std::optional<std::size_t> index = PortItemIndex(result.first_line)) {
    port_actions_[*index]->setChecked(true);
    PortItemClick(*index);
  }
  pauses_.delay(110);
}

void TForm1::SAVE_Params() {
  if (!WriteSettingsFile(SettingsFilePath(), ComPort1.Port())) {
    MessageDlg(app_, texts::kWriteFailed, TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
    return;
  }
  pauses_.delay(1);
  MessageDlg(app_, texts::kSaved, TMsgDlgType::mtConfirmation, TMsgDlgBtn::mbOK);
}

}  // namespace window
