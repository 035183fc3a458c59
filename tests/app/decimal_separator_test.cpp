#include "readings/decimal_separator.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace readings {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const char* value) {
    if (value != nullptr) {
      setenv(name_, value, 1);
    } else {
      unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SeparatorOfLocale, FullStopForPosixAndForLocalesThatCannotBeLoaded) {
  EXPECT_EQ(SeparatorOfLocale("C"), ".");
  EXPECT_EQ(SeparatorOfLocale("POSIX"), ".");
  EXPECT_EQ(SeparatorOfLocale("xx_NOWHERE.UTF-8"), ".");
  const ScopedEnv all("LC_ALL", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(SeparatorOfLocale(""), ".");
}

TEST(DecimalSeparator, AnOverrideIsWhatEveryoneReads) {
  SetDecimalSeparator(",");
  EXPECT_EQ(DecimalSeparator(), ",");
  SetDecimalSeparator(".");
  EXPECT_EQ(DecimalSeparator(), ".");
}

// A Russian locale is built into a private directory, so the test does not depend on the
// locales installed on the machine; it is skipped where the locale sources are missing.
class RussianLocaleTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                     ("vlk-locale-" + std::to_string(getpid())));
    std::filesystem::create_directories(*dir_);
    const std::string command =
        "localedef -i ru_RU -f UTF-8 '" + (*dir_ / "ru_RU.UTF-8").string() + "' >/dev/null 2>&1";
    built_ = std::system(command.c_str()) == 0;
  }
  static void TearDownTestSuite() {
    std::filesystem::remove_all(*dir_);
    delete dir_;
  }
  // glibc's newlocale keeps its parsed copy of LOCPATH for good; only the tests set LOCPATH,
  // so that allocation stays out of the leak report.
  void SetUp() override {
    if (!built_) GTEST_SKIP() << "localedef cannot build ru_RU.UTF-8 here";
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
    leak_check_off_ = true;
#endif
  }
  void TearDown() override {
#if defined(__SANITIZE_ADDRESS__)
    if (leak_check_off_) __lsan_enable();
#endif
  }

  static inline std::filesystem::path* dir_ = nullptr;
  static inline bool built_ = false;
  bool leak_check_off_ = false;
};

TEST_F(RussianLocaleTest, CommaFromTheNamedLocaleAndFromTheEnvironment) {
  const ScopedEnv path("LOCPATH", dir_->c_str());
  EXPECT_EQ(SeparatorOfLocale("ru_RU.UTF-8"), ",");
  {
    const ScopedEnv all("LC_ALL", "ru_RU.UTF-8");
    EXPECT_EQ(SeparatorOfLocale(""), ",");
  }
  {
    const ScopedEnv all("LC_ALL", nullptr);
    const ScopedEnv numeric("LC_NUMERIC", "ru_RU.UTF-8");
    const ScopedEnv lang("LANG", "C");
    EXPECT_EQ(SeparatorOfLocale(""), ",");
  }
  {
    const ScopedEnv all("LC_ALL", "C");
    const ScopedEnv lang("LANG", "ru_RU.UTF-8");
    EXPECT_EQ(SeparatorOfLocale(""), ".");
  }
}

TEST_F(RussianLocaleTest, ReadingLeavesTheProcessLocaleAlone) {
  const ScopedEnv path("LOCPATH", dir_->c_str());
  const ScopedEnv all("LC_ALL", "ru_RU.UTF-8");
  ASSERT_EQ(SeparatorOfLocale(""), ",");
  EXPECT_EQ(std::to_string(1.5), "1.500000");  // still the C locale's full stop
}

}  // namespace
}  // namespace readings
