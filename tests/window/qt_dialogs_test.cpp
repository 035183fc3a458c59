// The real message box, closed from a timer: only its button counts as OK.
#include "window/toolkit/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

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

TEST(QtDialogs, WrapsALongTextSoThatAllOfItAndTheButtonStayOnTheScreen) {
  const std::string text = "'" + std::string(300, '7') + "' is not a valid integer value.";
  bool narrower_than_screen = false;
  bool text_fits = false;
  bool button_inside = false;
  std::string shown_text;
  ShowAndClose(
      DialogBox{"ВЛК240ТИ", text, DialogIcon::kStop, TMsgDlgBtn::mbOK}, [&](QMessageBox& shown) {
        const auto* label = shown.findChild<QLabel*>("qt_msgbox_label");
        ASSERT_NE(label, nullptr);
        narrower_than_screen = shown.width() < shown.screen()->availableGeometry().width();
        text_fits = label->minimumSizeHint().width() <= label->width() &&
                    label->heightForWidth(label->width()) <= label->height() &&
                    shown.rect().contains(QRect(label->mapTo(&shown, QPoint()), label->size()));
        const QAbstractButton* button = shown.buttons().front();
        button_inside =
            shown.rect().contains(QRect(button->mapTo(&shown, QPoint()), button->size()));
        shown_text = label->text().remove(QChar(0x200B)).toStdString();
        shown.buttons().front()->click();
      });
  EXPECT_TRUE(narrower_than_screen);
  EXPECT_TRUE(text_fits);
  EXPECT_TRUE(button_inside);
  EXPECT_EQ(shown_text, text);
}

// The box that does not wait: it is up over its owner when Open returns, the owner's timers
// tick meanwhile, and its one button closes it and tells so once; gone with its owner, it tells
// no one.
TEST(QtDialogs, OpenedBoxLeavesTheTimersTickingAndTellsWhenItIsClosed) {
  QWidget owner;
  owner.show();
  int closed = 0;
  QtDialogs().Open(
      MessageBoxOf("Связь с СОМ портом потеряна\rx", TMsgDlgType::mtError, TMsgDlgBtn::mbCancel),
      &owner, [&] { ++closed; });
  auto* box = owner.findChild<QMessageBox*>();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->windowModality(), Qt::WindowModal);
  EXPECT_EQ(box->text(), "Связь с СОМ портом потеряна\nx");

  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(5);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 2000));
  EXPECT_EQ(closed, 0);

  box->buttons().front()->click();
  EXPECT_EQ(closed, 1);
  // Deleted once closed.
  EXPECT_TRUE(QTest::qWaitFor([&] { return owner.findChild<QMessageBox*>() == nullptr; }, 2000));

  auto other = std::make_unique<QWidget>();
  QtDialogs().Open(MessageBoxOf("x", TMsgDlgType::mtError, TMsgDlgBtn::mbCancel), other.get(),
                   [&] { ++closed; });
  other.reset();
  EXPECT_EQ(closed, 1);
}

}  // namespace
}  // namespace window
