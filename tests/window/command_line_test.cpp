#include "window/command_line.h"

#include <gtest/gtest.h>

namespace window {
namespace {

TEST(CommandLine, KnowsItsOptionsAndLeavesQtsAlone) {
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  const CommandLine demo = ParseCommandLine({"--demo", "-platform", "offscreen"});
  EXPECT_TRUE(demo.demo);
  EXPECT_FALSE(demo.demo_read);
  EXPECT_TRUE(demo.error.empty());
  const CommandLine read = ParseCommandLine({"--demo-read"});
  EXPECT_TRUE(read.demo && read.demo_read);
  EXPECT_EQ(ParseCommandLine({"--dmeo"}).error, "unknown option --dmeo");
  EXPECT_EQ(ParseCommandLine({"--help=yes"}).error, "--help takes no value");
  EXPECT_TRUE(ParseCommandLine({"-h"}).help);
}

TEST(CommandLine, UsageNamesTheDemoAndThePortOverride) {
  const std::string usage = UsageText("vlk240");
  EXPECT_NE(usage.find("--demo"), std::string::npos);
  EXPECT_NE(usage.find("VLK240_COMn"), std::string::npos);
}

}  // namespace
}  // namespace window
