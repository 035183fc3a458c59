// The port menu and the settings file "user.ini".
#include <optional>

#include "comport/com_errors.h"
#include "form/form1_logic.h"
#include "form/form_texts.h"
#include "form/open_failure_reason.h"
#include "form/port_items.h"
#include "form/settings_file.h"
#include "platform/comm_api.h"

namespace form {
namespace {

// The system's own code behind a port that did not open (errno on Linux, where one Win32 code
// covers a forbidden device and a busy one alike). The port raises right after the failed call,
// so the thread's last system error is still that call's.
std::optional<int> OpenSystemError(const std::exception& error) {
  const auto* port_error = dynamic_cast<const comport::EComPort*>(&error);
  if (port_error == nullptr || port_error->PortErrorCode() != comport::kErrOpenFailed) {
    return std::nullopt;
  }
  const int system_error = platform::Comm().GetLastSystemError();
  if (system_error == 0) return std::nullopt;
  return system_error;
}

}  // namespace

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
    // The item's own message replaces the port error; the system's code says why, below it.
    const std::optional<int> system_error = OpenSystemError(error);
    if (frame_trace_ != nullptr) frame_trace_->Failed(error.what());
    ClosePortQuietly();
    view_.SetCheckedPortItem(kNoPortItem);
    view_.SetStatusText(kPortPanel, "");
    MessageDlg(OpenFailureText(item.open_failure, system_error), TMsgDlgType::mtError,
               TMsgDlgBtn::mbCancel);
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
