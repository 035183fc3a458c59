// The serial component's view of the toolkit, given by the window program: an exception that
// nothing else caught goes to the default exception box on the window thread, and calls that a
// port's event thread queues for the window thread run from Qt's event loop.
// Any thread may call (the box is queued to the window thread when called from another).
#pragma once

#include "runtime/toolkit.h"
#include "window/toolkit/application.h"

namespace window {

class QtComportToolkit : public runtime::Toolkit {
 public:
  explicit QtComportToolkit(Application& app) : app_(app) {}
  void HandleException(const std::exception& error) override;
  // Posts a run of the component's main-thread call queue to Qt's event loop.
  void WakeMainThread() override;

 private:
  Application& app_;
};

}  // namespace window
