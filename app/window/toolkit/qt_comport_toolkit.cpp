#include "window/toolkit/qt_comport_toolkit.h"

#include <QCoreApplication>
#include <QThread>
#include <string>

#include "runtime/main_thread.h"

namespace window {

void QtComportToolkit::HandleException(const std::exception& error) {
  QCoreApplication* qt = QCoreApplication::instance();
  if (qt == nullptr || QThread::currentThread() == qt->thread()) {
    app_.ShowException(error.what());
    return;
  }
  // The exception object belongs to the caller; only its text crosses threads.
  QMetaObject::invokeMethod(
      qt, [this, text = std::string(error.what())] { app_.ShowException(text); },
      Qt::QueuedConnection);
}

void QtComportToolkit::WakeMainThread() {
  QCoreApplication* qt = QCoreApplication::instance();
  if (qt == nullptr) return;
  QMetaObject::invokeMethod(
      qt, [] { runtime::CheckSynchronize(); }, Qt::QueuedConnection);
}

}  // namespace window
