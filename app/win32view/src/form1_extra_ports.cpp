// The port menu's items after "COM 4": the ports present each time the menu opens.
#include "runtime/win32_text.h"
#include "win32view/form1.h"

namespace win32view {

void TForm1::ShowExtraPortItems() {
  for (std::size_t i = 0; i < extra_ports_.size(); ++i) {
    ::DeleteMenu(N1, static_cast<UINT>(kExtraPortCommand + static_cast<int>(i)), MF_BYCOMMAND);
  }
  extra_ports_ = logic_.ExtraPortItems();
  if (extra_ports_.size() > static_cast<std::size_t>(kMaxExtraPorts)) {
    extra_ports_.resize(kMaxExtraPorts);
  }
  const UINT after_four = static_cast<UINT>(form::kPortItems.size());
  for (std::size_t i = 0; i < extra_ports_.size(); ++i) {
    ::InsertMenuW(N1, after_four + static_cast<UINT>(i), MF_BYPOSITION | MF_STRING,
                  static_cast<UINT_PTR>(kExtraPortCommand + static_cast<int>(i)),
                  runtime::WideFromUtf8(extra_ports_[i].caption).c_str());
  }
  CheckExtraPortItem();
}

void TForm1::CheckExtraPortItem() {
  if (extra_ports_.empty()) return;
  const UINT first = kExtraPortCommand;
  const UINT last = first + static_cast<UINT>(extra_ports_.size()) - 1;
  for (std::size_t i = 0; i < extra_ports_.size(); ++i) {
    if (extra_ports_[i].port_name == checked_extra_) {
      ::CheckMenuRadioItem(N1, first, last, first + static_cast<UINT>(i), MF_BYCOMMAND);
      return;
    }
  }
  for (UINT item = first; item <= last; ++item) ::CheckMenuItem(N1, item, MF_UNCHECKED);
}

void TForm1::SetCheckedExtraPort(const std::string& port_name) {
  for (std::size_t i = 0; i < form::kPortItems.size(); ++i) {
    ::CheckMenuItem(N1, static_cast<UINT>(kPortItemCommand + static_cast<int>(i)),
                    MF_BYCOMMAND | MF_UNCHECKED);
  }
  checked_extra_ = port_name;
  CheckExtraPortItem();
}

void TForm1::OnExtraPortCommand(int command) {
  const int index = command - kExtraPortCommand;
  if (index < 0 || index >= static_cast<int>(extra_ports_.size())) return;
  // A copy: the handler processes messages, and the menu may be opened and rebuilt meanwhile.
  const std::string port_name = extra_ports_[static_cast<std::size_t>(index)].port_name;
  logic_.ExtraPortClick(port_name);
}

}  // namespace win32view
