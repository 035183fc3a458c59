// The real boxes' seam of the Qt window: everything the window shows modally goes through
// `Dialogs`, so tests replace the real boxes with a recorder and never wait on a modal loop.
// The boxes themselves are toolkit-neutral (form/dialog_box.h).
// Window thread only.
#pragma once

#include "form/dialog_box.h"

namespace window {

using form::DialogBox;
using form::DialogIcon;
using form::ExceptionBoxText;
using form::MessageBoxOf;
using form::mrCancel;
using form::mrOk;
using form::TMsgDlgBtn;
using form::TMsgDlgType;

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Shows `box` modally and returns mrOk or mrCancel.
  virtual int Show(const DialogBox& box) = 0;
};

}  // namespace window
