#include "window/toolkit/dialogs.h"

namespace window {

DialogBox MessageBoxOf(std::string_view text, TMsgDlgType type, TMsgDlgBtn button) {
  struct Kind {
    const char* caption;
    DialogIcon icon;
  };
  static constexpr Kind kKinds[] = {
      {"Warning", DialogIcon::kExclamation},
      {"Error", DialogIcon::kStop},
      {"Confirm", DialogIcon::kQuestion},
  };
  const Kind& kind = kKinds[static_cast<int>(type)];
  return DialogBox{kind.caption, std::string(text), kind.icon, button};
}

std::string ExceptionBoxText(std::string_view what) {
  std::string text(what);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

}  // namespace window
