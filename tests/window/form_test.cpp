#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include "exchange/poll.h"
#include "form_fixture.h"

namespace window {
namespace {

using testing::FormTest;

constexpr const char* kReadCaption = "ЧТЕНИЕ ПОКАЗАНИЙ ВЛК240Т";
constexpr const char* kPollingCaption = "ИДЁТ ОПРОС...";

std::string Text(const QLabel* label) { return label->text().toStdString(); }
std::string Text(const QAbstractButton* button) { return button->text().toStdString(); }

TEST_F(FormTest, StartsIdleWithEverythingCleared) {
  TForm1& form = CreateForm();
  EXPECT_EQ(app_.Title(), "ВЛК240ТИ");
  EXPECT_TRUE(form.Memo1->Lines().empty());
  EXPECT_EQ(Text(form.StaticText1), "");
  EXPECT_EQ(form.StatusBar1->PanelText(1), "");
  EXPECT_EQ(form.Edit1->text().toStdString(), "1");
  EXPECT_TRUE(form.Shape1->isHidden());
  EXPECT_FALSE(form.Time_is_out.Enabled());
  EXPECT_FALSE(form.LOGO.Enabled());
  EXPECT_FALSE(form.ClickerBtn.Enabled());
  EXPECT_EQ(form.Time_is_out.Interval(), 270);
  EXPECT_EQ(form.LOGO.Interval(), 450);
  EXPECT_EQ(form.ClickerBtn.Interval(), 2000);
  EXPECT_FALSE(form.ComPort1.Connected());
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(FormTest, WindowDefinitionHasItsTextsAndGeometry) {
  TForm1& form = CreateForm();
  EXPECT_EQ(form.windowTitle().toStdString(),
            "Программа опроса ВЛК240Т по RS485 c протоколом ModBus RTU");
  EXPECT_EQ(form.centralWidget()->size(), QSize(709, 334));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());  // not resizable
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(form.PageControl1->tabText(0).toStdString(), "КОМАНДЫ");
  EXPECT_EQ(form.PageControl1->tabText(1).toStdString(), "ПАМЯТКА");
  EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet1);
  EXPECT_EQ(form.Button3->geometry(), QRect(16, 81, 237, 41));
  EXPECT_EQ(form.Memo1->geometry(), QRect(272, 2, 417, 239));
  EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, 315, 709, 19));
  EXPECT_EQ(form.StatusBar1->PanelWidth(0), 40);
  EXPECT_EQ(form.StatusBar1->PanelWidth(1), 709 - 40);
  const auto* label5 = form.TabSheet2->findChild<QLabel*>("Label5");
  ASSERT_NE(label5, nullptr);
  EXPECT_EQ(label5->pos(), QPoint(-8, 40));
  EXPECT_EQ(Text(label5), "2.2. Подать прибору ВЛК240ТИ питание");
  EXPECT_EQ(form.TabSheet2->findChildren<QLabel*>().size(), 12);
  EXPECT_EQ(form.N1->title().toStdString(), "СОМ Порт");
  EXPECT_EQ(form.C1->text().toStdString(), "Cохранить настройки");
  EXPECT_EQ(form.COM41->text().toStdString(), "COM 4");
  EXPECT_TRUE(form.N5->isSeparator());
  const QList<QAction*> items = form.N1->actions();
  const std::vector<std::string> captions = {
      "COM 1", "COM 2", "COM 3", "COM 4", "", "Поиск прибора…", "Cохранить настройки"};
  ASSERT_EQ(items.size(), static_cast<qsizetype>(captions.size()));
  for (std::size_t i = 0; i < captions.size(); ++i) {
    EXPECT_EQ(items[static_cast<qsizetype>(i)]->text().toStdString(), captions[i]) << i;
  }
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(form.PortItem(i), items[static_cast<qsizetype>(i)]);
}

TEST_F(FormTest, PortObjectHasTheWindowsSettingsAndStaysClosed) {
  TForm1& form = CreateForm();
  const comport::TComPort& port = form.ComPort1;
  EXPECT_EQ(port.BaudRate(), comport::br9600);
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.Parity().Bits(), comport::prEven);
  EXPECT_EQ(port.StopBits(), comport::sbOneStopBit);
  EXPECT_EQ(port.DataBits(), comport::dbEight);
  EXPECT_TRUE(port.Events().Empty());
  EXPECT_EQ(port.FlowControl().FlowControl(), comport::fcNone);
  EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
  EXPECT_EQ(port.Timeouts().ReadTotalMultiplier(), 6);
  EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 0);
  EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 150);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
  EXPECT_FALSE(port.Loading());
  EXPECT_FALSE(port.Connected());
}

// What an address text leads to. Polls meet the closed port, which the exchange reports.
TEST_F(FormTest, AddressTextDecidesBetweenPollWarningAndConversionError) {
  enum Outcome { kPoll, kWarning, kConversionError };
  struct Case {
    const char* text;
    Outcome outcome;
    const char* sent;  // the start of the sent-frame text for a poll
  } const cases[] = {
      {"1", kPoll, "Послано:   1 4 0 0 0 13 49 207 "},
      {"247", kPoll, "Послано:   247 4 0 0 0 13 37 89 "},
      {" 12", kPoll, "Послано:   12 4 0 0 0 13 "},
      {"$0A", kPoll, "Послано:   10 4 0 0 0 13 "},
      {"0x0A", kPoll, "Послано:   10 4 0 0 0 13 "},
      {"0", kWarning, ""},
      {"248", kWarning, ""},
      {"-5", kWarning, ""},
      {"12 ", kConversionError, ""},
      {"", kConversionError, ""},
      {"1.5", kConversionError, ""},
      {"99999999999", kConversionError, ""},
  };
  TForm1& form = CreateForm();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    dialogs_.shown.clear();
    form.Memo1->Add("old");
    form.StaticText1->clear();
    form.Edit1->setText(QString::fromUtf8(c.text));
    form.Button3->click();
    EXPECT_TRUE(form.Memo1->Lines().empty());
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    const DialogBox& box = dialogs_.shown[0];
    switch (c.outcome) {
      case kPoll:
        EXPECT_EQ(Text(form.StaticText1).substr(0, std::string(c.sent).size()), c.sent);
        EXPECT_EQ(box.text, exchange::PORT_NOT_ACTIVE_TEXT);
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.button, TMsgDlgBtn::mbCancel);
        break;
      case kWarning:
        EXPECT_EQ(Text(form.StaticText1), "");
        EXPECT_EQ(box.caption, "Warning");
        EXPECT_EQ(box.text, "Неправильное значение сетевого адреса");
        EXPECT_EQ(box.button, TMsgDlgBtn::mbOK);
        EXPECT_EQ(form.Edit1->text().toStdString(), "1");
        break;
      case kConversionError:
        EXPECT_EQ(Text(form.StaticText1), "");
        EXPECT_EQ(box.caption, "ВЛК240ТИ");
        EXPECT_EQ(box.text,
                  std::string("'").append(c.text).append("' is not a valid integer value."));
        EXPECT_EQ(box.icon, DialogIcon::kStop);
        EXPECT_EQ(form.Edit1->text().toStdString(), c.text);
        break;
    }
  }
}

TEST_F(FormTest, WarningClosedOtherThanByOkKeepsTheAddressText) {
  TForm1& form = CreateForm();
  form.Edit1->setText("0");
  dialogs_.answers = {mrCancel};
  form.Button3->click();
  EXPECT_EQ(form.Edit1->text().toStdString(), "0");
}

void ExpectIdle(const TForm1& form) {
  EXPECT_TRUE(form.Button3->isEnabled());
  EXPECT_EQ(Text(form.Button3), kReadCaption);
  EXPECT_TRUE(form.Edit1->isEnabled());
  EXPECT_TRUE(form.MenuEnabled());
  EXPECT_FALSE(form.ClickerBtn.Enabled());
  EXPECT_TRUE(form.Shape1->isHidden());
  EXPECT_FALSE(form.CheckBox1->isChecked());
}

TEST_F(FormTest, CheckBoxSwitchesCyclicPollingOnAndOff) {
  TForm1& form = CreateForm();
  form.CheckBox1->setChecked(true);  // a change made by code runs the handler too
  EXPECT_FALSE(form.Button3->isEnabled());
  EXPECT_EQ(Text(form.Button3), kPollingCaption);
  EXPECT_FALSE(form.Edit1->isEnabled());
  EXPECT_FALSE(form.MenuEnabled());
  EXPECT_TRUE(form.ClickerBtn.Enabled());
  EXPECT_FALSE(form.Shape1->isHidden());
  EXPECT_EQ(form.Shape1->BrushColor(), QColor(Qt::white));
  form.Memo1->Add("reading");

  form.CheckBox1->click();
  ExpectIdle(form);
  EXPECT_TRUE(form.Memo1->Lines().empty());
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(FormTest, FirstCyclicTickWithABadAddressStopsCyclicPolling) {
  TForm1& form = CreateForm();
  form.Edit1->setText("0");
  form.CheckBox1->setChecked(true);
  form.ClickerBtn.Fire();
  ExpectIdle(form);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Неправильное значение сетевого адреса");
  EXPECT_EQ(form.Edit1->text().toStdString(), "1");
  // The rest of that tick still runs on the hidden indicator.
  EXPECT_TRUE(form.LOGO.Enabled());
  EXPECT_EQ(form.Shape1->BrushColor(), QColor(Qt::red));
}

TEST_F(FormTest, CyclicTickWithATextThatIsNoNumberEndsCyclicPollingThenShowsTheBox) {
  TForm1& form = CreateForm();
  form.Edit1->setText("abc");
  form.CheckBox1->setChecked(true);
  bool stopped_before_box = false;
  dialogs_.on_show = [&] {
    stopped_before_box = !form.CheckBox1->isChecked() && !form.ClickerBtn.Enabled() &&
                         form.Edit1->isEnabled() && form.MenuEnabled();
  };
  form.ClickerBtn.Fire();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "'abc' is not a valid integer value.");
  EXPECT_TRUE(stopped_before_box);
  EXPECT_TRUE(form.Shape1->isHidden());
  EXPECT_FALSE(form.LOGO.Enabled());
  EXPECT_EQ(form.Edit1->text(), "abc");
}

TEST_F(FormTest, IndicatorIsRedForAboutHalfASecondAfterEachCyclicPoll) {
  TForm1& form = CreateForm();
  form.CheckBox1->setChecked(true);
  for (int poll = 0; poll < 2; ++poll) {
    form.ClickerBtn.Fire();
    EXPECT_EQ(form.Shape1->BrushColor(), QColor(Qt::red));
    const qint64 red_ms =
        RunEventsUntil([&] { return form.Shape1->BrushColor() == Qt::white; }, 5000);
    EXPECT_GE(red_ms, 400);
    EXPECT_LT(red_ms, 1900);
    EXPECT_FALSE(form.LOGO.Enabled());
  }
}

TEST_F(FormTest, UnansweredPollsAreCountedAcrossPolls) {
  TForm1& form = CreateForm();
  for (int count = 1; count <= 3; ++count) {
    form.Button3->click();
    EXPECT_TRUE(form.Time_is_out.Enabled());
    EXPECT_EQ(form.StatusBar1->PanelText(1), "");
    form.Time_is_out.Fire();
    EXPECT_FALSE(form.Time_is_out.Enabled());
    EXPECT_EQ(form.StatusBar1->PanelText(1), "Не отвечает (" + std::to_string(count) + ")");
  }
}

TEST_F(FormTest, ReplyTimeOutFiresOnItsOwnAfterAnUnansweredPoll) {
  TForm1& form = CreateForm();
  form.Button3->click();
  const qint64 waited = RunEventsUntil([&] { return !form.Time_is_out.Enabled(); }, 5000);
  EXPECT_LT(waited, 4000);
  EXPECT_EQ(form.StatusBar1->PanelText(1), "Не отвечает (1)");
}

}  // namespace
}  // namespace window
