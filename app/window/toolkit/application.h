// What the window asks of the application object: the title, message processing and the
// default exception box. No exception may cross Qt's event loop: the logic's handlers guard
// themselves (form::Form1Logic) and show the box through the view, which comes here, as do the
// port component's exceptions (QtComportToolkit). The box is shown and the loop goes on.
// Window thread only.
#pragma once

#include <string>
#include <string_view>

#include "window/toolkit/dialogs.h"

namespace window {

class Application {
 public:
  explicit Application(Dialogs& dialogs) : dialogs_(dialogs) {}

  Dialogs& dialogs() { return dialogs_; }

  // The caption of the default exception box. It is not the application's name: desktops take
  // that as the window class, which stays plain ASCII (program_identity.h).
  void SetTitle(std::string title);
  const std::string& Title() const { return title_; }

  // Processes all pending window events and returns.
  static void ProcessMessages();
  // The message pump for DELAY_MS: pending events, then a millisecond's sleep so that a wait
  // does not keep a core busy.
  static void PumpMessagesBriefly();

  // The default exception box: form::ExceptionBoxOf(the title, what).
  void ShowException(std::string_view what);

 private:
  Dialogs& dialogs_;
  std::string title_;
};

}  // namespace window
