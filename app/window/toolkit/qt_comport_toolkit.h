// The serial component's view of the toolkit, given by the window program: an exception that
// nothing else caught goes to the default exception box on the window thread.
// Any thread may call (the box is queued to the window thread when called from another).
#pragma once

#include "comport/toolkit.h"
#include "window/toolkit/application.h"

namespace window {

class QtComportToolkit : public comport::Toolkit {
 public:
  explicit QtComportToolkit(Application& app) : app_(app) {}
  void HandleException(const std::exception& error) override;

 private:
  Application& app_;
};

}  // namespace window
