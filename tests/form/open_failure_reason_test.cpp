// The second line of "Не могу открыть СОМ n": the reason and what to do, by the errno of the
// failed open.
#include "form/open_failure_reason.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

namespace form {
namespace {

TEST(OpenFailureText, TellsAMissingAdapterAForbiddenPortAndABusyOneApart) {
  const std::string_view message = "Не могу открыть СОМ 1";
  EXPECT_EQ(OpenFailureText(message, ENOENT),
            "Не могу открыть СОМ 1\rПорт не найден: проверьте, что адаптер подключён.");
  EXPECT_EQ(OpenFailureText(message, EACCES),
            "Не могу открыть СОМ 1\rНет прав доступа к порту: добавьте пользователя в группу "
            "dialout и войдите в систему снова.");
  EXPECT_EQ(OpenFailureText(message, EBUSY),
            "Не могу открыть СОМ 1\rПорт занят другой программой: закройте её и выберите порт "
            "снова.");
  EXPECT_EQ(OpenFailureReason(EWOULDBLOCK), OpenFailureReason(EBUSY));  // another's lock
  EXPECT_EQ(OpenFailureReason(EPERM), OpenFailureReason(EACCES));
  EXPECT_EQ(OpenFailureReason(ENOTTY), "Это не последовательный порт: выберите другой.");
  // A code the table does not know is still told; a failure without one keeps the one line.
  EXPECT_EQ(OpenFailureText(message, ENOMEM),
            "Не могу открыть СОМ 1\rКод ошибки системы: " + std::to_string(ENOMEM) + ".");
  EXPECT_EQ(OpenFailureText(message, std::nullopt), "Не могу открыть СОМ 1");
}

TEST(OpenFailureCauses, EachCodeOnceWithAOneLineReason) {
  std::set<int> codes;
  for (const OpenFailureCause& cause : OpenFailureCauses()) {
    EXPECT_TRUE(codes.insert(cause.system_error).second) << cause.system_error;
    EXPECT_EQ(cause.reason.find_first_of("\r\n"), std::string_view::npos) << cause.reason;
    EXPECT_EQ(cause.reason.back(), '.') << cause.reason;
  }
}

}  // namespace
}  // namespace form
