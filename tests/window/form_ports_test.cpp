#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>

#include "exchange/poll.h"
#include "form_fixture.h"
#include "readings/decimal_separator.h"
#include "sim/simulator.h"
#include "support/pluggable_adapter.h"

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
  EXPECT_EQ(dialogs_.shown[0].text,
            "Не могу открыть СОМ 3\rПорт не найден: проверьте, что адаптер подключён.");
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

  const std::string not_found = "\rПорт не найден: проверьте, что адаптер подключён.";
  const std::string messages[] = {"Не могу открыть СОМ 1" + not_found,
                                  "Не могу открыть СОМ 3" + not_found,
                                  "Не могу открыть СОМ 4" + not_found};
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

// COM1 names a link to the instrument's line, as /dev/serial/by-id/ names an adapter: pulling
// the adapter takes the link away, plugging it in again brings it back to a new device.
class PortLossTest : public FormTest {
 protected:
  PortLossTest() {
    readings::SetDecimalSeparator(",");
    MapPort(1, adapter_.Link().string());
    adapter_.Plug();
  }
  // Released: closed, no item checked, panel 0 empty; and the one box that says so.
  void ExpectReleasedAfterOneBox(const TForm1& form) {
    EXPECT_FALSE(form.ComPort1.Connected());
    EXPECT_EQ(Checks(form), kNoneChecked);
    EXPECT_EQ(form.StatusBar1->PanelText(0), "");
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].caption, "Error");
    EXPECT_EQ(dialogs_.shown[0].text.rfind(std::string(exchange::PORT_LOST_TEXT) + "\r", 0), 0u);
  }
  static void ExpectReadingOnCom1(const TForm1& form) {
    EXPECT_EQ(form.Memo1->Lines().size(), 8u);
    EXPECT_EQ(Checks(form), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(form.StatusBar1->PanelText(0), "COM1");
  }

  vlk_test::PluggableAdapter adapter_{directory() / "adapter"};
};

TEST_F(PortLossTest, CyclicPollingReleasesALostPortAndResumesWhenItComesBack) {
  TForm1& form = CreateForm();
  form.COM11->trigger();
  form.CheckBox1->setChecked(true);
  adapter_.Unplug();
  for (int tick = 0; tick < 3; ++tick) form.ClickerBtn.Fire();  // then two quiet ticks
  ExpectReleasedAfterOneBox(form);
  EXPECT_EQ(form.StatusBar1->PanelText(1), exchange::PORT_UNAVAILABLE_TEXT);

  adapter_.Plug();
  form.ClickerBtn.Fire();
  ExpectReadingOnCom1(form);
  EXPECT_TRUE(form.ClickerBtn.Enabled());
  EXPECT_EQ(dialogs_.shown.size(), 1u);
}

// The box of the loss stays open until the operator closes it, and polling does not wait for
// that: the port comes back and is read with the box still up.
TEST_F(PortLossTest, PollingGoesOnWhileTheBoxOfTheLossIsOpen) {
  TForm1& form = CreateForm();
  form.COM11->trigger();
  form.CheckBox1->setChecked(true);
  adapter_.Unplug();
  form.ClickerBtn.Fire();
  form.ClickerBtn.Fire();
  ExpectReleasedAfterOneBox(form);
  ASSERT_EQ(dialogs_.open.size(), 1u);
  adapter_.Plug();
  form.ClickerBtn.Fire();
  ExpectReadingOnCom1(form);
  adapter_.Unplug();
  form.ClickerBtn.Fire();  // lost again, the box still open: no second one
  EXPECT_EQ(dialogs_.shown.size(), 1u);
  dialogs_.CloseOpen();
  adapter_.Plug();
  form.ClickerBtn.Fire();
  adapter_.Unplug();
  form.ClickerBtn.Fire();
  EXPECT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.open.size(), 1u);
}

TEST_F(PortLossTest, MenuItemOpensALostPortAgainAndAFailedChoiceEndsTheReopening) {
  TForm1& form = CreateForm();
  form.COM11->trigger();
  adapter_.Unplug();
  form.Button3->click();
  ExpectReleasedAfterOneBox(form);
  adapter_.Plug();
  form.COM11->trigger();
  form.Button3->click();
  ExpectReadingOnCom1(form);

  adapter_.Unplug();
  form.Button3->click();
  form.COM21->trigger();  // no device there: a port that failed to open is not active
  form.Button3->click();
  EXPECT_EQ(dialogs_.shown.back().text, exchange::PORT_NOT_ACTIVE_TEXT);
}

// The menu lists, when it opens, the ports present after "COM 4"; one is opened as the four
// are, and stays checked when the menu opens again.
TEST_F(FormTest, MenuShowsThePortsPresentWhenItOpensAndOpensTheChosenOne) {
  sim::Simulator instrument;
  TForm1& form = CreateForm();
  Q_EMIT form.N1->aboutToShow();
  EXPECT_TRUE(form.ExtraPortItems().empty());

  present_ports_ = {{instrument.SlavePath(), "Simulated adapter", false}};
  Q_EMIT form.N1->aboutToShow();
  ASSERT_EQ(form.ExtraPortItems().size(), 1u);
  QAction* item = form.ExtraPortItems()[0];
  const QList<QAction*> actions = form.N1->actions();
  EXPECT_EQ(actions.indexOf(item), actions.indexOf(form.COM41) + 1);
  EXPECT_EQ(item->text(), "Simulated adapter");

  item->trigger();
  EXPECT_TRUE(form.ComPort1.Connected());
  EXPECT_EQ(form.ComPort1.Port(), instrument.SlavePath());
  EXPECT_EQ(form.StatusBar1->PanelText(0), instrument.SlavePath());
  EXPECT_EQ(Checks(form), kNoneChecked);
  EXPECT_TRUE(dialogs_.shown.empty());

  Q_EMIT form.N1->aboutToShow();
  ASSERT_EQ(form.ExtraPortItems().size(), 1u);
  EXPECT_TRUE(form.ExtraPortItems()[0]->isChecked());
  form.COM21->trigger();  // one radio group: the four take the check back
  EXPECT_FALSE(form.ExtraPortItems()[0]->isChecked());
}

}  // namespace
}  // namespace window
