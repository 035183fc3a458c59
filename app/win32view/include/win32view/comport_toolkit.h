// The serial component's view of the toolkit, given by the window program: an exception that
// nothing else caught goes to the default exception box on the window thread, and calls that
// another thread queues for the window thread run from the message loop. Both reach the window
// thread as messages to a message-only window of this object's own.
// Create and destroy on the window thread; any thread may call.
#pragma once

#include "runtime/toolkit.h"
#include "win32view/application.h"

namespace win32view {

class ComportToolkit : public runtime::Toolkit {
 public:
  explicit ComportToolkit(Application& app);
  ~ComportToolkit() override;
  ComportToolkit(const ComportToolkit&) = delete;
  ComportToolkit& operator=(const ComportToolkit&) = delete;

  void HandleException(const std::exception& error) override;
  // Posts a run of the component's main-thread call queue to the message loop.
  void WakeMainThread() override;

 private:
  Application& app_;
  unsigned long window_thread_;
  HWND__* receiver_ = nullptr;
};

}  // namespace win32view
