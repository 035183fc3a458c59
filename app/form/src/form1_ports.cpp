// The port menu and the settings file "user.ini".
#include <optional>

#include "comport/com_errors.h"
#include "form/form1_logic.h"
#include "form/form_texts.h"
#include "form/open_failure_reason.h"
#include "form/port_items.h"
#include "form/settings_file.h"
#include "platform/comm_api.h"
#include "platform/present_ports.h"

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

PortDiscovery SystemPortDiscovery() { return platform::PresentPorts; }

void Form1Logic::PortItemClick(std::size_t index) {
  Guard([this, index] {
    // The menu checks the chosen item before its handler runs.
    view_.SetCheckedPortItem(static_cast<int>(index));
    const PortMenuItem& item = kPortItems.at(index);
    ChoosePort(item.port_name, item.open_failure);
  });
}

std::vector<ExtraPortItem> Form1Logic::ExtraPortItems() noexcept {
  std::vector<ExtraPortItem> items;
  try {
    for (const platform::PresentPort& port : discovery_()) {
      if (port.menu_port || PortItemIndex(port.name)) continue;
      items.push_back({port.name, port.label});
    }
  } catch (...) {
    // A list that cannot be read leaves the four items, which do not need it.
    items.clear();
  }
  return items;
}

void Form1Logic::ExtraPortClick(const std::string& port_name) {
  Guard([this, &port_name] {
    view_.SetCheckedExtraPort(port_name);
    ChoosePort(port_name, ExtraPortFailure(port_name));
  });
}

void Form1Logic::CheckPortItemOf(const std::string& port_name) {
  if (const std::optional<std::size_t> index = PortItemIndex(port_name)) {
    view_.SetCheckedPortItem(static_cast<int>(*index));
  } else {
    view_.SetCheckedExtraPort(port_name);
  }
}

void Form1Logic::ChoosePort(std::string_view port_name, std::string_view open_failure) {
  if (ComPort1.Connected() && ComPort1.Port() == port_name) return;
  // The operator's choice takes the place of reopening a port lost during a poll.
  reopen_before_poll_ = false;
  try {
    ComPort1.SetConnected(false);
    view_.ProcessMessages();
    pauses_.sleep(300);
    ComPort1.SetPort(std::string(port_name));
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
    MessageDlg(OpenFailureText(open_failure, system_error), TMsgDlgType::mtError,
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
  // The four names first, exactly; then the name of another port the menu listed.
  if (const std::optional<std::size_t> index = PortItemIndex(result.first_line)) {
    view_.SetCheckedPortItem(static_cast<int>(*index));
    ChoosePort(kPortItems[*index].port_name, kPortItems[*index].open_failure);
  } else if (platform::PresentPortName(result.first_line)) {
    view_.SetCheckedExtraPort(result.first_line);
    ChoosePort(result.first_line, ExtraPortFailure(result.first_line));
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
