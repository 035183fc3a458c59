// The port menu and the settings file "user.ini".
#include "form/form1_logic.h"
#include "form/form_texts.h"
#include "form/port_items.h"
#include "form/settings_file.h"

namespace form {

void Form1Logic::PortItemClick(std::size_t index) {
  Guard([this, index] {
    // The menu checks the chosen item before its handler runs.
    view_.SetCheckedPortItem(static_cast<int>(index));
    ChoosePort(index);
  });
}

void Form1Logic::ChoosePort(std::size_t index) {
  const PortMenuItem& item = kPortItems.at(index);
  if (ComPort1.Connected() && ComPort1.Port() == item.port_name) return;
  // The operator's choice takes the place of reopening a port lost during a poll.
  reopen_before_poll_ = false;
  try {
    ComPort1.SetConnected(false);
    view_.ProcessMessages();
    pauses_.sleep(300);
    ComPort1.SetPort(std::string(item.port_name));
    pauses_.sleep(300);
    ComPort1.SetConnected(true);
    view_.SetStatusText(kPortPanel, ComPort1.Port());
  } catch (const std::exception& error) {
    if (frame_trace_ != nullptr) frame_trace_->Failed(error.what());
    // The item's own message replaces the port error.
    ClosePortQuietly();
    view_.SetCheckedPortItem(kNoPortItem);
    view_.SetStatusText(kPortPanel, "");
    MessageDlg(item.open_failure, TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
  }
}

void Form1Logic::ClosePortQuietly() {
  try {
    ComPort1.SetConnected(false);
  } catch (const std::exception&) {
  }
}

void Form1Logic::C1Click() {
  Guard([this] { SAVE_Params(); });
}

void Form1Logic::READ_Params() {
  const std::filesystem::path path = SettingsFilePath();
  if (!SettingsFileExists(path)) return;
  pauses_.delay(150);
  const SettingsReadResult result = ReadSettingsFile(path);
  if (result.status == SettingsReadStatus::kMissing) return;  // gone since the check
  if (result.status == SettingsReadStatus::kFailed) {
    MessageDlg(texts::kReadFailed, TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
    return;
  }
  pauses_.delay(150);
  if (const std::optional<std::size_t> index = PortItemIndex(result.first_line)) {
    view_.SetCheckedPortItem(static_cast<int>(*index));
    ChoosePort(*index);
  }
  pauses_.delay(110);
}

void Form1Logic::SAVE_Params() {
  if (!WriteSettingsFile(SettingsFilePath(), ComPort1.Port())) {
    MessageDlg(texts::kWriteFailed, TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
    return;
  }
  pauses_.delay(1);
  MessageDlg(texts::kSaved, TMsgDlgType::mtConfirmation, TMsgDlgBtn::mbOK);
}

}  // namespace form
