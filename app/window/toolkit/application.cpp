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
    dialogs_.Show(form::ExceptionBoxOf(title_, what));
  } catch (...) {
  }
}

}  // namespace window
