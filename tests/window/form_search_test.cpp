// "Поиск прибора…" in the Qt window: the scan finds the simulated instrument among its
// neighbours while the window goes on processing events, and the operator chooses it with the
// keyboard.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "form_fixture.h"
#include "sim/simulator.h"
#include "window/search_dialog.h"

namespace window {
namespace {

using testing::FormTest;

TEST_F(FormTest, SearchFindsTheInstrumentAmongItsNeighboursAndEnterChoosesIt) {
  sim::Config config;
  config.address = 4;
  config.neighbours = {{2, {sim::BehaviourKind::kException}}, {9, {}}};
  sim::Simulator instrument(config);
  MapPort(1, instrument.SlavePath());
  TForm1& form = CreateForm();
  form.COM11->trigger();
  ASSERT_TRUE(form.ComPort1.Connected());
  form.show();

  // The operator at the box while the scan runs: the timer ticks only while the window thread
  // processes events, so each tick also shows that the window stays responsive.
  int ticks = 0;
  bool disabled_during_scan = true;
  bool chosen = false;
  QTimer operator_at_box;
  QObject::connect(&operator_at_box, &QTimer::timeout, [&] {
    SearchDialog* box = form.SearchBox();
    if (box == nullptr || !box->isVisible()) return;
    ++ticks;
    disabled_during_scan = disabled_during_scan && !form.MenuEnabled() &&
                           !form.Button3->isEnabled() && !form.CheckBox1->isEnabled() &&
                           !form.Edit1->isEnabled();
    if (box->Found->count() == 2 && !chosen) {
      chosen = true;
      EXPECT_TRUE(box->Cancel->isEnabled());
      EXPECT_TRUE(box->Found->item(0)->text().startsWith("Адрес 2: прибор отказал"));
      EXPECT_TRUE(box->Found->item(1)->text().startsWith("Адрес 4: ВЛК240Т, вариант 1"));
      QTest::keyClick(box->Found, Qt::Key_Down);
      QTest::keyClick(box->Found, Qt::Key_Return);
    }
  });
  operator_at_box.start(20);
  form.Search->trigger();  // returns when the scan has ended
  operator_at_box.stop();

  EXPECT_GT(ticks, 3);
  EXPECT_TRUE(disabled_during_scan);
  EXPECT_FALSE(form.SearchBox()->isVisible());
  EXPECT_LE(form.SearchBox()->Progress->value(), 5);  // stopped within one address
  EXPECT_EQ(form.Edit1->text(), "4");
  EXPECT_TRUE(form.MenuEnabled());
  EXPECT_TRUE(form.Button3->isEnabled());
  EXPECT_TRUE(form.CheckBox1->isEnabled());
  EXPECT_TRUE(form.Edit1->isEnabled());
  EXPECT_TRUE(dialogs_.shown.empty());
}

}  // namespace
}  // namespace window
