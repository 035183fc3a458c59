// What the window asks of the application object: the title, message processing and the
// default exception box. No exception may cross Qt's event loop: the logic's handlers guard
// themselves (form::Form1Logic) and show the box through the view, which comes here; any other
// entry point of the Qt side runs through Guard. The box is shown and the loop goes on.
// Window thread only.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <utility>

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

  // Runs `handler`; an exception that escapes it goes to the default exception box.
  template <typename Handler>
  void Guard(Handler&& handler) noexcept {
    try {
      std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
      ShowException(error.what());
    } catch (...) {
      ShowException("Unknown exception");
    }
  }

 private:
  Dialogs& dialogs_;
  std::string title_;
};

}  // namespace window
