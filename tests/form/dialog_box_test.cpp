// The toolkit-neutral boxes: the three kinds and the default exception box.
#include "form/dialog_box.h"

#include <gtest/gtest.h>

namespace form {
namespace {

TEST(ExceptionBoxText, AppendsFullStopOnlyAfterCharactersAboveIt) {
  struct Case {
    const char* what;
    const char* shown;
  } const cases[] = {
      {"'12 ' is not a valid integer value", "'12 ' is not a valid integer value."},
      {"Unable to open com port (win error code: 2)",
       "Unable to open com port (win error code: 2)"},
      {"Done.", "Done."},
      {"Stop!", "Stop!"},
      {"ends in a slash/", "ends in a slash/."},  // '/' is 0x2F, one above the full stop
      {"ends in a dash-", "ends in a dash-"},
      {"Ошибка", "Ошибка."},  // a Cyrillic letter is above it too
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExceptionBoxText(c.what), c.shown) << c.what;
}

TEST(MessageBoxOf, GivesEachKindItsCaptionAndIcon) {
  const DialogBox warning = MessageBoxOf("w", TMsgDlgType::mtWarning, TMsgDlgBtn::mbOK);
  const DialogBox error = MessageBoxOf("e", TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
  const DialogBox confirm = MessageBoxOf("c", TMsgDlgType::mtConfirmation, TMsgDlgBtn::mbOK);
  EXPECT_EQ(warning.caption, "Warning");
  EXPECT_EQ(warning.icon, DialogIcon::kExclamation);
  EXPECT_EQ(error.caption, "Error");
  EXPECT_EQ(error.icon, DialogIcon::kStop);
  EXPECT_EQ(error.button, TMsgDlgBtn::mbCancel);
  EXPECT_EQ(confirm.caption, "Confirm");
  EXPECT_EQ(confirm.icon, DialogIcon::kQuestion);
}

TEST(ExceptionBoxOf, HasTheTitleAsCaptionAStopIconAndOk) {
  const DialogBox box = ExceptionBoxOf("ВЛК240ТИ", "'abc' is not a valid integer value");
  EXPECT_EQ(box.caption, "ВЛК240ТИ");
  EXPECT_EQ(box.text, "'abc' is not a valid integer value.");
  EXPECT_EQ(box.icon, DialogIcon::kStop);
  EXPECT_EQ(box.button, TMsgDlgBtn::mbOK);
}

}  // namespace
}  // namespace form
