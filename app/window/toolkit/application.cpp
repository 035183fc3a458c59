#include "window/toolkit/application.h"

#include <QCoreApplication>
#include <QThread>

namespace window {

void Application::SetTitle(std::string title) { title_ = std::move(title); }

void Application::ProcessMessages() { QCoreApplication::processEvents(); }

void Application::PumpMessagesBriefly() {
  QCoreApplication::processEvents();
  QThread::msleep(1);
}

void Application::ShowException(std::string_view what) {
  // A failing box must not throw out of Guard, which is noexcept.
  try {
    dialogs_.Show(DialogBox{title_, ExceptionBoxText(what), DialogIcon::kStop, TMsgDlgBtn::mbOK});
  } catch (...) {
  }
}

int MessageDlg(Application& app, std::string_view text, TMsgDlgType type, TMsgDlgBtn button) {
  return app.dialogs().Show(MessageBoxOf(text, type, button));
}

}  // namespace window
