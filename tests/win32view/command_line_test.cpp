// The --help box of vlk240.exe: its proportional font cannot line up columns padded with blanks,
// so each option stands on a line of its own with its help indented under it.
#include "win32view/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(BoxUsageText, PutsEachOptionOnItsOwnLineAndItsHelpIndentedUnder) {
  const std::string usage =
      "Usage: x [--port COMn]\n"
      "Reads.\n"
      "\n"
      "  --port COMn    the port;\n"
      "                 also its name\n"
      "  --a-very-long-option  help after two blanks\n"
      "  --bare\n"
      "\n"
      "A note.\n";
  EXPECT_EQ(win32view::BoxUsageText(usage),
            "Usage: x [--port COMn]\n"
            "Reads.\n"
            "\n"
            "--port COMn\n"
            "      the port;\n"
            "      also its name\n"
            "--a-very-long-option\n"
            "      help after two blanks\n"
            "--bare\n"
            "\n"
            "A note.\n");
}

TEST(BoxUsageText, TheWindowsOwnHelpHasNoPaddedColumns) {
  const std::vector<std::string> lines = Lines(win32view::UsageText());
  for (const char* option : {"--demo", "--demo-read", "--help"}) {
    const auto at = std::find(lines.begin(), lines.end(), option);
    ASSERT_NE(at, lines.end()) << option << " has no line of its own";
    ASSERT_NE(at + 1, lines.end());
    EXPECT_TRUE(at[1].starts_with("      ") && at[1][6] != ' ') << at[1];
  }
  for (const std::string& line : lines) {
    const std::size_t text = line.find_first_not_of(' ');
    if (text == std::string::npos) continue;
    EXPECT_EQ(line.find("  ", text), std::string::npos) << "padded: " << line;
  }
}

}  // namespace
