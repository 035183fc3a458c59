// The real boxes' seam of the Qt window: every box the window shows goes through `Dialogs`, so
// tests replace the real boxes with a recorder and never wait on a modal loop. The boxes themselves
// are toolkit-neutral (form/dialog_box.h). Window thread only.
#pragma once

#include <functional>

#include "form/dialog_box.h"

class QWidget;

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
  // Shows `box` over `owner` and returns at once, the event loop and its timers going on;
  // `closed` runs once the box has been closed, whichever way, unless `owner` has gone first.
  virtual void Open(const DialogBox& box, QWidget* owner, std::function<void()> closed) = 0;
};

}  // namespace window
