// What the window needs of the system beyond its own controls: the application title, the
// modal boxes, the message loop and "process pending messages". Window thread only.
//
// One message loop serves the whole program, so that the keyboard works alike in every loop
// (the main one, ProcessMessages and the pump of DELAY_MS): Tab, Enter and Escape are handled
// for the main window set with SetMainWindow and for the boxes it owns.
#pragma once

#include <string>
#include <string_view>

#include "form/dialog_box.h"

// A window's handle, as <windows.h> has it, which this header leaves out: it makes macros of
// names that the serial seam's headers declare, so it must come after them.
struct HWND__;

namespace win32view {

class Application {
 public:
  Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The caption of the default exception box. Not the window's caption: on Windows the task
  // bar shows the window's own.
  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& Title() const { return title_; }

  // The main window: the owner of the boxes while it is shown, and the keyboard window.
  void SetMainWindow(HWND__* window);

  // Shows `box` modally; form::mrOk when closed with its OK button, else form::mrCancel.
  int ShowBox(const form::DialogBox& box);
  // The default exception box: form::ExceptionBoxOf(the title, what). Never throws.
  void ShowException(std::string_view what) noexcept;

  // Runs the message loop until WM_QUIT; returns its exit code.
  static int Run();
  // Processes all pending messages and returns. A WM_QUIT met here is left for Run.
  static void ProcessMessages();
  // The message pump of DELAY_MS: pending messages, then a millisecond's sleep so that a wait
  // does not keep a core busy.
  static void PumpMessagesBriefly();

 private:
  std::string title_;
  HWND__* main_window_ = nullptr;
};

}  // namespace win32view
