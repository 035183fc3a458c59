#include "window/toolkit/qt_dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace window {
namespace {

// QMessageBox turns Escape and the close button into a click of its only button, which would
// make "closed some other way" look like OK. This box rejects instead, so the caller can tell.
class OneButtonBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Cancel)) {
      reject();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

// The box wraps its text only where a line may break. A long run without one (a pasted
// address) would widen the box to the screen's width and still cut the run and the button
// off, so such runs get zero-width spaces as break opportunities.
QString WithBreakOpportunities(const QString& text) {
  constexpr int kLongestRun = 32;
  const QChar zero_width_space(0x200B);
  QString result;
  int run = 0;
  for (const QChar c : text) {
    if (c.isSpace()) {
      run = 0;
    } else if (run >= kLongestRun && !c.isLowSurrogate() && !c.isMark()) {
      result += zero_width_space;
      run = 0;
    }
    result += c;
    if (!c.isSpace()) ++run;
  }
  return result;
}

QMessageBox::Icon QtIcon(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::kExclamation:
      return QMessageBox::Warning;
    case DialogIcon::kStop:
      return QMessageBox::Critical;
    case DialogIcon::kQuestion:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// Gives `dialog` the box's caption, text, icon and its one button, which it returns.
QPushButton* Fill(QMessageBox& dialog, const DialogBox& box) {
  dialog.setWindowTitle(QString::fromStdString(box.caption));
  // The texts break lines with a lone CR, which a label does not show as a line break.
  QString text = QString::fromStdString(box.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
      .replace(QLatin1Char('\r'), QLatin1Char('\n'));
  dialog.setText(WithBreakOpportunities(text));
  dialog.setIcon(QtIcon(box.icon));
  const bool ok = box.button == TMsgDlgBtn::mbOK;
  QPushButton* button = dialog.addButton(ok ? QStringLiteral("OK") : QStringLiteral("Cancel"),
                                         ok ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
  dialog.setDefaultButton(button);
  return button;
}

}  // namespace

int QtDialogs::Show(const DialogBox& box) {
  OneButtonBox dialog(QApplication::activeWindow());
  QPushButton* button = Fill(dialog, box);
  dialog.exec();
  return box.button == TMsgDlgBtn::mbOK && dialog.clickedButton() == button ? mrOk : mrCancel;
}

void QtDialogs::Open(const DialogBox& box, QWidget* owner, std::function<void()> closed) {
  auto* dialog = new OneButtonBox(owner);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  Fill(*dialog, box);
  // With the owner as context the call is dropped once the owner is gone.
  QObject::connect(dialog, &QDialog::finished,
                   owner != nullptr ? static_cast<QObject*>(owner) : dialog,
                   [closed = std::move(closed)] { closed(); });
  // Window-modal: it keeps the operator off the window, not the window's timers off their ticks.
  dialog->open();
}

}  // namespace window
