// Modal message dialogs of the window: the three kinds the operator sees and the default box for
// an exception that escapes a handler. Everything goes through `Dialogs`, so tests replace the
// real boxes with a recorder and never wait on a modal loop.
// Window thread only.
#pragma once

#include <string>
#include <string_view>

namespace window {

enum class TMsgDlgType { mtWarning, mtError, mtConfirmation };
enum class TMsgDlgBtn { mbOK, mbCancel };
enum class DialogIcon { kExclamation, kStop, kQuestion };

// Results of a dialog: the button that closed it, or mrCancel when it was closed another way.
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

struct DialogBox {
  std::string caption;
  std::string text;
  DialogIcon icon;
  TMsgDlgBtn button;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Shows `box` modally and returns mrOk or mrCancel.
  virtual int Show(const DialogBox& box) = 0;
};

// The box of a message dialog of `type`: caption "Warning", "Error" or "Confirm" with its icon.
DialogBox MessageBoxOf(std::string_view text, TMsgDlgType type, TMsgDlgBtn button);

// The text of the default exception box: `what` with a full stop appended when its last
// character's code is above that of the full stop (UTF-8 bytes compare the same way).
std::string ExceptionBoxText(std::string_view what);

}  // namespace window
