#include "form/dialog_box.h"

namespace form {

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

DialogBox ExceptionBoxOf(std::string_view title, std::string_view what) {
  return DialogBox{std::string(title), ExceptionBoxText(what), DialogIcon::kStop, TMsgDlgBtn::mbOK};
}

}  // namespace form
