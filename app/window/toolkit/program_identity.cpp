#include "window/toolkit/program_identity.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace window {

void SetProgramIdentity() {
  const QString name = QString::fromLatin1(kProgramName.data(), kProgramName.size());
  QCoreApplication::setApplicationName(name);
  QGuiApplication::setDesktopFileName(name);
  QApplication::setWindowIcon(ProgramIcon());
}

QIcon ProgramIcon() {
  QSvgRenderer renderer(QStringLiteral(":/icons/vlk240.svg"));
  QIcon icon;
  if (!renderer.isValid()) return icon;
  // Rendered here rather than left to an icon plugin, so the icon does not depend on one.
  for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace window
