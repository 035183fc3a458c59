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
  // Called from inside Qt's event loop, which no exception may cross: a failing box must not throw.
  try {
    dialogs_.Show(form::ExceptionBoxOf(title_, what));
  } catch (...) {
  }
}

}  // namespace window
