// The modal message boxes of the window, toolkit-neutral: the three kinds the operator sees
// (warning, error, confirmation) and the default box for an exception that escapes a handler.
// A box has exactly one button; a view shows it (Form1View::ShowMessageBox) and tells which way
// it was closed.
#pragma once

#include <string>
#include <string_view>

namespace form {

enum class TMsgDlgType { mtWarning, mtError, mtConfirmation };
enum class TMsgDlgBtn { mbOK, mbCancel };
enum class DialogIcon { kExclamation, kStop, kQuestion };

// Results of a box: the button that closed it, or mrCancel when it was closed another way.
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

struct DialogBox {
  std::string caption;  // UTF-8
  std::string text;     // UTF-8; a lone CR breaks the line
  DialogIcon icon;
  TMsgDlgBtn button;  // the one button: "OK" or "Cancel"
};

// The box of a message dialog of `type`: caption "Warning", "Error" or "Confirm" with its icon.
DialogBox MessageBoxOf(std::string_view text, TMsgDlgType type, TMsgDlgBtn button);

// The text of the default exception box: `what` with a full stop appended when its last
// character's code is above that of the full stop (UTF-8 bytes compare the same way).
std::string ExceptionBoxText(std::string_view what);

// The whole default exception box: the application title as caption, stop icon, OK.
DialogBox ExceptionBoxOf(std::string_view title, std::string_view what);

}  // namespace form
