// The real message box, closed from a timer: only its button counts as OK.
#include "window/toolkit/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace window {
namespace {

// Runs `close` on the box once it is up; the timer gives up after a few seconds.
int ShowAndClose(const DialogBox& box, std::function<void(QMessageBox&)> close) {
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      poll.stop();
      close(*shown);
    }
  });
  poll.start();
  return QtDialogs().Show(box);
}

TEST(QtDialogs, ShowsOneButtonWithTheCaptionAndTellsHowItWasClosed) {
  const DialogBox warning = MessageBoxOf("Неправильное значение сетевого адреса",
                                         TMsgDlgType::mtWarning, TMsgDlgBtn::mbOK);
  int buttons = 0;
  std::string caption;
  EXPECT_EQ(ShowAndClose(warning,
                         [&](QMessageBox& shown) {
                           buttons = static_cast<int>(shown.buttons().size());
                           caption = shown.windowTitle().toStdString();
                           shown.buttons().front()->click();
                         }),
            mrOk);
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(caption, "Warning");

  EXPECT_EQ(ShowAndClose(warning,
                         [](QMessageBox& shown) {
                           QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                           QApplication::sendEvent(&shown, &escape);
                         }),
            mrCancel);
  EXPECT_EQ(ShowAndClose(warning, [](QMessageBox& shown) { shown.close(); }), mrCancel);

  const DialogBox error = MessageBoxOf("x", TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
  std::string button;
  EXPECT_EQ(ShowAndClose(error,
                         [&](QMessageBox& shown) {
                           button = shown.buttons().front()->text().toStdString();
                           shown.buttons().front()->click();
                         }),
            mrCancel);
  EXPECT_EQ(button, "Cancel");
}

}  // namespace
}  // namespace window
