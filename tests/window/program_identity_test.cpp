// The program's name and icon as the desktop sees them.
#include "window/toolkit/program_identity.h"

#include <QApplication>
#include <QImage>
#include <fstream>
#include <string>

#include "form_fixture.h"

namespace window {
namespace {

using testing::FormTest;

// Whether `icon` at `side` pixels has both drawn and transparent pixels.
bool DrawnAt(const QIcon& icon, int side) {
  const QImage image = icon.pixmap(side, side).toImage();
  if (image.size() != QSize(side, side)) return false;
  bool drawn = false;
  bool clear = false;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) (qAlpha(image.pixel(x, y)) == 0 ? clear : drawn) = true;
  }
  return drawn && clear;
}

TEST_F(FormTest, ProgramKeepsItsAsciiClassNameAndShippedIconUnderTheRussianTitle) {
  SetProgramIdentity();
  TForm1& form = CreateForm();  // sets the application title
  EXPECT_EQ(app_.Title(), "ВЛК240ТИ");
  EXPECT_EQ(QCoreApplication::applicationName().toStdString(), "vlk240");
  EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "vlk240");
  EXPECT_EQ(form.windowTitle().toStdString(),
            "Программа опроса ВЛК240Т по RS485 c протоколом ModBus RTU");
  for (const int side : {16, 48, 256}) {
    EXPECT_TRUE(DrawnAt(form.windowIcon(), side)) << side;
  }
}

TEST(DesktopEntry, NamesTheProgramsWindowClass) {
  std::ifstream entry(VLK_DESKTOP_ENTRY);
  ASSERT_TRUE(entry.is_open()) << VLK_DESKTOP_ENTRY;
  int matches = 0;
  for (std::string line; std::getline(entry, line);) {
    if (line.rfind("StartupWMClass=", 0) == 0) {
      EXPECT_EQ(line, "StartupWMClass=" + std::string(kProgramName));
      ++matches;
    }
  }
  EXPECT_EQ(matches, 1);
}

}  // namespace
}  // namespace window
