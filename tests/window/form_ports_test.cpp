#include <sys/stat.h>

#include <QAction>

#include "form_fixture.h"
#include "sim/simulator.h"

namespace window {
namespace {

using testing::FormTest;
using testing::ReadBytes;
using testing::WriteBytes;

std::vector<bool> Checks(const TForm1& form) {
  std::vector<bool> checks;
  for (std::size_t i = 0; i < 4; ++i) checks.push_back(form.PortItem(i)->isChecked());
  return checks;
}
const std::vector<bool> kNoneChecked{false, false, false, false};

TEST_F(FormTest, SettingsFileWithoutAPortNameLeavesThePortClosedSilently) {
  const std::optional<std::string> contents[] = {std::nullopt, "com3\r\n",  "COM3 \r\n",
                                                 "",           " COM3\r\n", "COM5\r\n"};
  for (const auto& content : contents) {
    SCOPED_TRACE(content.value_or("(no file)"));
    std::filesystem::remove(directory() / "user.ini");
    if (content) WriteBytes(directory() / "user.ini", *content);
    TForm1& form = CreateForm();
    EXPECT_FALSE(form.ComPort1.Connected());
    EXPECT_EQ(Checks(form), kNoneChecked);
    EXPECT_EQ(form.StatusBar1->PanelText(0), "");
    EXPECT_TRUE(dialogs_.shown.empty());
  }
}

TEST_F(FormTest, SettingsFileOpensTheSavedPort) {
  sim::Simulator instrument;
  MapPort(3, instrument.SlavePath());
  WriteBytes(directory() / "user.ini", "COM3\r\n");
  TForm1& form = CreateForm();
  EXPECT_TRUE(form.ComPort1.Connected());
  EXPECT_EQ(form.ComPort1.Port(), "COM3");
  EXPECT_EQ(Checks(form), (std::vector<bool>{false, false, true, false}));
  EXPECT_EQ(form.StatusBar1->PanelText(0), "COM3");
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(FormTest, SavedPortThatCannotBeOpenedShowsItsItemsMessage) {
  WriteBytes(directory() / "user.ini", "COM3\r\n");
  TForm1& form = CreateForm();
  EXPECT_FALSE(form.ComPort1.Connected());
  EXPECT_EQ(Checks(form), kNoneChecked);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Не могу открыть СОМ 3");
  EXPECT_EQ(dialogs_.shown[0].caption, "Error");
}

TEST_F(FormTest, DirectoryInPlaceOfTheSettingsFileIsNoSettingsFile) {
  std::filesystem::create_directory(directory() / "user.ini");
  TForm1& form = CreateForm();
  EXPECT_FALSE(form.ComPort1.Connected());
  EXPECT_EQ(Checks(form), kNoneChecked);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(FormTest, UnreadableSettingsFileShowsTheReadError) {
  // A FIFO is there but is no file to read; the start must not wait for a writer to it.
  ASSERT_EQ(::mkfifo((directory() / "user.ini").c_str(), 0644), 0);
  TForm1& form = CreateForm();
  EXPECT_FALSE(form.ComPort1.Connected());
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Ошибка чтения из файла\r Written by Vastrel");
  EXPECT_EQ(dialogs_.shown[0].caption, "Error");
  EXPECT_EQ(dialogs_.shown[0].button, TMsgDlgBtn::mbCancel);
}

TEST_F(FormTest, ChoosingAPortWithoutDeviceClosesAndUnchecksEverything) {
  sim::Simulator instrument;
  MapPort(2, instrument.SlavePath());
  TForm1& form = CreateForm();
  form.COM21->trigger();
  ASSERT_TRUE(form.ComPort1.Connected());
  EXPECT_EQ(Checks(form), (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(form.StatusBar1->PanelText(0), "COM2");

  const int sleeps = sleeps_;
  form.COM21->trigger();  // the open port again: nothing happens
  EXPECT_EQ(sleeps_, sleeps);
  EXPECT_TRUE(form.ComPort1.Connected());
  EXPECT_TRUE(form.COM21->isChecked());

  const char* messages[] = {"Не могу открыть СОМ 1", "Не могу открыть СОМ 3",
                            "Не могу открыть СОМ 4"};
  QAction* items[] = {form.COM11, form.COM31, form.COM41};
  for (int i = 0; i < 3; ++i) {
    dialogs_.shown.clear();
    items[i]->trigger();
    EXPECT_FALSE(form.ComPort1.Connected());
    EXPECT_EQ(Checks(form), kNoneChecked);
    EXPECT_EQ(form.StatusBar1->PanelText(0), "");
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].text, messages[i]);
  }
  EXPECT_EQ(form.ComPort1.Port(), "COM4");  // the name that failed survives
}

TEST_F(FormTest, SavingWritesThePortNameAndCrLf) {
  sim::Simulator instrument;
  MapPort(2, instrument.SlavePath());
  TForm1& form = CreateForm();
  form.C1->trigger();  // before any choice: the design-time name
  EXPECT_EQ(ReadBytes(directory() / "user.ini"), "COM1\r\n");
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "ТЕКУЩИЕ НАСТРОЙКИ СОХРАНЕНЫ");
  EXPECT_EQ(dialogs_.shown[0].caption, "Confirm");

  form.COM21->trigger();
  form.C1->trigger();
  form.C1->trigger();
  EXPECT_EQ(ReadBytes(directory() / "user.ini"), "COM2\r\n");
}

TEST_F(FormTest, FailedSaveShowsTheWriteErrorAndKeepsWhatWasThere) {
  TForm1& form = CreateForm();
  std::filesystem::create_directory(directory() / "user.ini");
  WriteBytes(directory() / "user.ini" / "keep", "x");
  form.C1->trigger();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Ошибка записи в файл");
  EXPECT_EQ(dialogs_.shown[0].caption, "Error");
  EXPECT_EQ(ReadBytes(directory() / "user.ini" / "keep"), "x");
}

}  // namespace
}  // namespace window
