// The real dialogs: one QMessageBox per call with exactly one button.
// Window thread only.
#pragma once

#include "window/toolkit/dialogs.h"

namespace window {

class QtDialogs : public Dialogs {
 public:
  int Show(const DialogBox& box) override;
  void Open(const DialogBox& box, QWidget* owner, std::function<void()> closed) override;
};

}  // namespace window
