// Polls through the real port, against the simulated instrument on a pseudo-terminal.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "exchange/EMUL_Functions.h"
#include "form_fixture.h"
#include "readings/decimal_separator.h"
#include "sim/simulator.h"

namespace window {
namespace {

class FormPollTest : public testing::FormTest {
 protected:
  FormPollTest() {
    readings::SetDecimalSeparator(",");
    MapPort(1, instrument_.SlavePath());
  }

  TForm1& CreateOpenForm() {
    TForm1& form = CreateForm();
    form.COM11->trigger();
    EXPECT_TRUE(form.ComPort1.Connected());
    return form;
  }

  void Behave(sim::BehaviourKind kind) {
    sim::Config config = instrument_.GetConfig();
    config.behaviour.kind = kind;
    instrument_.SetConfig(config);
  }

  sim::Simulator instrument_;
};

TEST_F(FormPollTest, ReadingShowsTheDecodedReplyAndItsBytes) {
  TForm1& form = CreateOpenForm();
  form.Button3->click();
  EXPECT_EQ(form.StaticText1->text().toStdString(), "Послано:   1 4 0 0 0 13 49 207 ");
  EXPECT_EQ(form.StatusBar1->PanelText(1),
            "Принято:   1 4 26 0 0 66 54 0 0 65 242 0 0 65 64 0 0 66 200 0 0 0 21 0 10 66 72 0 "
            "0 71 118 ");
  EXPECT_EQ(form.Memo1->Lines(), (std::vector<std::string>{
                                     "ВЛК240ТхИ Исполнение 1",
                                     "(Уровнемер-Уровнемер)",
                                     "",
                                     "Уровень канала 1 - 45,5 %",
                                     "Объём канала 1 - 30,3 %",
                                     "Уровень канала 2 - 12,0 %",
                                     "Объём канала 2 - 100,0 %",
                                     "Состояния реле: Вкл. Выкл. Вкл. Выкл. ",
                                 }));
  EXPECT_FALSE(form.Time_is_out.Enabled());
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(FormPollTest, CountsUnansweredPollsAroundAnAnsweredOne) {
  TForm1& form = CreateOpenForm();
  const sim::BehaviourKind sequence[] = {sim::BehaviourKind::kSilent, sim::BehaviourKind::kBadCrc,
                                         sim::BehaviourKind::kSilent, sim::BehaviourKind::kNormal,
                                         sim::BehaviourKind::kSilent};
  const char* panels[] = {"Не отвечает (1)", "Не отвечает (2)", "Не отвечает (3)", "Принято:   1 4",
                          "Не отвечает (4)"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    Behave(sequence[i]);
    form.Button3->click();
    if (form.Time_is_out.Enabled()) {
      EXPECT_TRUE(form.Memo1->Lines().empty());
      form.Time_is_out.Fire();
    } else {
      EXPECT_EQ(form.Memo1->Lines().size(), 8u);
    }
    EXPECT_EQ(form.StatusBar1->PanelText(1).rfind(panels[i], 0), 0u)
        << form.StatusBar1->PanelText(1);
  }
}

TEST_F(FormPollTest, ExceptionReplyShowsItsBytesAndLeavesTheMemoEmpty) {
  TForm1& form = CreateOpenForm();
  Behave(sim::BehaviourKind::kException);
  form.Button3->click();
  EXPECT_TRUE(form.Memo1->Lines().empty());
  EXPECT_EQ(form.StatusBar1->PanelText(1).rfind("Принято:   1 132 2 ", 0), 0u);
  EXPECT_FALSE(form.Time_is_out.Enabled());
  EXPECT_EQ(EMUL_Functions::RX_LEN, 31);
}

}  // namespace
}  // namespace window
