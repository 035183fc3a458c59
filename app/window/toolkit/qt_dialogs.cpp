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

}  // namespace

int QtDialogs::Show(const DialogBox& box) {
  OneButtonBox dialog(QApplication::activeWindow());
  dialog.setWindowTitle(QString::fromStdString(box.caption));
  // The texts break lines with a lone CR, which a label does not show as a line break.
  QString text = QString::fromStdString(box.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
      .replace(QLatin1Char('\r'), QLatin1Char('\n'));
  dialog.setText(text);
  dialog.setIcon(QtIcon(box.icon));
  const bool ok = box.button == TMsgDlgBtn::mbOK;
  QPushButton* button = dialog.addButton(ok ? QStringLiteral("OK") : QStringLiteral("Cancel"),
                                         ok ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
  dialog.setDefaultButton(button);
  dialog.exec();
  return ok && dialog.clickedButton() == button ? mrOk : mrCancel;
}

}  // namespace window
