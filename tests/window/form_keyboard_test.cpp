// The window at the keyboard: where the focus starts, what Enter does, where Tab goes.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "form_fixture.h"

namespace window {
namespace {

using testing::FormTest;

class FormKeyboardTest : public FormTest {
 protected:
  TForm1& CreateActiveForm() {
    TForm1& form = CreateForm();
    form.show();
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    return form;
  }
};

TEST_F(FormKeyboardTest, FocusStartsInTheAddressFieldAndTabGoesRoundLeavingTheMemo) {
  TForm1& form = CreateActiveForm();
  EXPECT_EQ(QApplication::focusWidget(), form.Edit1);

  form.Memo1->Add("Уровень канала 1 - 45,5 %");
  const QWidget* const expected[] = {form.Button3, form.CheckBox1, form.Memo1,
                                     form.PageControl1->tabBar(), form.Edit1};
  for (const QWidget* next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
  }
  EXPECT_EQ(form.Memo1->Lines(), std::vector<std::string>{"Уровень канала 1 - 45,5 %"});
}

TEST_F(FormKeyboardTest, EnterInTheAddressFieldReadsAsTheButtonDoes) {
  TForm1& form = CreateActiveForm();
  form.Edit1->setText("0x0A");
  QTest::keyClick(form.Edit1, Qt::Key_Return);
  const std::string sent = "Послано:   10 4 0 0 0 13 ";
  EXPECT_EQ(form.StaticText1->text().toStdString().substr(0, sent.size()), sent);
  ASSERT_EQ(dialogs_.shown.size(), 1u);  // the port is closed: the exchange says so

  QTest::keyClick(form.Edit1, Qt::Key_Enter);  // the keypad's Enter too
  EXPECT_EQ(dialogs_.shown.size(), 2u);

  form.Edit1->setText("abc");
  QTest::keyClick(form.Edit1, Qt::Key_Return);
  ASSERT_EQ(dialogs_.shown.size(), 3u);
  EXPECT_EQ(dialogs_.shown[2].text, "'abc' is not a valid integer value.");
}

// F10 opens the menu "СОМ Порт" as on Windows, but not while cyclic polling has disabled it.
TEST_F(FormKeyboardTest, F10OpensThePortMenuWhileTheMenuIsEnabled) {
  TForm1& form = CreateActiveForm();
  QTest::keyClick(&form, Qt::Key_F10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.N1->isVisible(); }, 2000));
  EXPECT_EQ(QApplication::activePopupWidget(), form.N1);
  QTest::keyClick(form.N1, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.N1->isVisible(); }, 2000));

  form.CheckBox1->setChecked(true);
  QTest::keyClick(&form, Qt::Key_F10);
  QTest::qWait(50);
  EXPECT_FALSE(form.N1->isVisible());
}

}  // namespace
}  // namespace window
