#include "cli/parse_arguments.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "cli/option_lines.h"

namespace cli {
namespace {

// A program's settings and its table: a valued option, a switch with an alias and a repeatable
// option; a value "bad" is refused, a value "throw" throws.
struct Settings {
  std::vector<std::string> ports;
  int quiet = 0;
  std::vector<std::string> extras;
  std::vector<std::string> topics;
};

std::vector<Option> Table(Settings& s) {
  return {
      {"--port", "NAME", "the port",
       [&s](std::string_view v) -> std::string {
         if (v == "throw") throw std::invalid_argument("thrown");
         if (v == "bad") return "--port refuses \"bad\"";
         s.ports.emplace_back(v);
         return {};
       }},
      {"--quiet", "", "say less",
       [&s](std::string_view) {
         ++s.quiet;
         return std::string();
       },
       "-q"},
      {"--extra",
       "X",
       "one more; may be repeated\nagain and again",
       [&s](std::string_view v) {
         s.extras.emplace_back(v);
         return std::string();
       },
       {},
       true},
      {"--topic", "T", "a topic, or the default",
       [&s](std::string_view v) {
         s.topics.emplace_back(v.empty() ? "default" : v);
         return std::string();
       },
       {},
       false,
       true},
  };
}

struct Outcome {
  Settings settings;
  std::optional<ArgumentError> error;
};

Outcome Parse(std::vector<std::string_view> arguments, Strangers strangers = Strangers::kRefuse) {
  Outcome run;
  const std::vector<Option> table = Table(run.settings);
  run.error = ParseArguments(table, arguments, strangers);
  return run;
}

TEST(ParseArguments, ValuesComeNextOrAfterTheEqualsSign) {
  const Outcome run = Parse({"--port", "-x", "-q", "--extra=a=b", "--extra", "", "--extra="});
  EXPECT_FALSE(run.error);
  EXPECT_EQ(run.settings.ports, std::vector<std::string>{"-x"});
  EXPECT_EQ(run.settings.quiet, 1);
  EXPECT_EQ(run.settings.extras, (std::vector<std::string>{"a=b", "", ""}));
  EXPECT_EQ(Parse({"--port=COM1"}).settings.ports, std::vector<std::string>{"COM1"});
}

// An optional value comes only after "=": the next argument stays an argument of its own.
TEST(ParseArguments, OptionalValueOnlyAfterTheEqualsSign) {
  const Outcome alone = Parse({"--topic", "--port", "a"});
  EXPECT_FALSE(alone.error);
  EXPECT_EQ(alone.settings.topics, std::vector<std::string>{"default"});
  EXPECT_EQ(alone.settings.ports, std::vector<std::string>{"a"});
  EXPECT_EQ(Parse({"--topic=ha"}).settings.topics, std::vector<std::string>{"ha"});
  EXPECT_EQ(Parse({"--topic", "ha"}).error->problem, Problem::kUnknown);
}

// Each problem is named with the argument as given, and parsing stops there.
TEST(ParseArguments, StopsAtTheFirstProblem) {
  struct Case {
    std::vector<std::string_view> arguments;
    Problem problem;
    std::string_view argument;
  };
  const Case cases[] = {
      {{"--port"}, Problem::kValueMissing, "--port"},
      {{"--quiet=yes", "--port", "a"}, Problem::kValueUnasked, "--quiet=yes"},
      {{"--port", "a", "--port=b"}, Problem::kRepeated, "--port=b"},
      {{"-q", "--quiet"}, Problem::kRepeated, "--quiet"},
      {{"--port", "bad", "--quiet"}, Problem::kValueRefused, "--port"},
      {{"--portx", "--quiet"}, Problem::kUnknown, "--portx"},
      {{"COM1", "--quiet"}, Problem::kUnknown, "COM1"},
      {{"--", "--quiet"}, Problem::kUnknown, "--"},
  };
  for (const Case& c : cases) {
    const Outcome run = Parse(c.arguments);
    ASSERT_TRUE(run.error) << c.argument;
    EXPECT_EQ(run.error->problem, c.problem) << c.argument;
    EXPECT_EQ(run.error->argument, c.argument);
    EXPECT_EQ(run.error->option == nullptr, c.problem == Problem::kUnknown) << c.argument;
    EXPECT_EQ(run.settings.quiet, c.arguments[0] == "-q" ? 1 : 0) << c.argument;
  }
  EXPECT_EQ(Parse({"--port", "bad"}).error->text, "--port refuses \"bad\"");
  EXPECT_THROW(Parse({"--port", "throw"}), std::invalid_argument);
}

// Another parser's arguments (Qt's) are left, but only those without "--".
TEST(ParseArguments, LeavesStrangersOnlyWhenAsked) {
  const Outcome run = Parse({"-platform", "offscreen", "-q", "--port", "a"}, Strangers::kLeave);
  EXPECT_FALSE(run.error);
  EXPECT_EQ(run.settings.quiet, 1);
  EXPECT_EQ(run.settings.ports, std::vector<std::string>{"a"});
  EXPECT_EQ(Parse({"--platform"}, Strangers::kLeave).error->problem, Problem::kUnknown);
}

TEST(OptionLines, PadsToTheHelpColumnAndIndentsContinuations) {
  Settings unused;
  EXPECT_EQ(OptionLines(Table(unused), 12),
            "  --port NAME  the port\n"
            "  --quiet   say less\n"
            "  --extra X  one more; may be repeated\n"
            "            again and again\n"
            "  --topic[=T]  a topic, or the default\n");
}

}  // namespace
}  // namespace cli
