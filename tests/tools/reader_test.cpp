#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/comm_api.h"
#include "reader/hex_frame.h"
#include "reader/open_failure.h"
#include "reader/run_reader.h"
#include "reply_frames.h"
#include "run_with.h"
#include "sim/simulator.h"

namespace reader {
namespace {

using testing_frames::Hex;

using testing_run::Outcome;

Outcome RunWith(std::vector<std::string_view> args) {
  return testing_run::RunWith(std::vector<std::string>(args.begin(), args.end()));
}

TEST(RunReader, WorkedExamplePrintsStatusAndEightLines) {
  const std::string hex = Hex(testing_frames::kWorkedExample);
  const Outcome result = RunWith({"--decode", hex, "--separator", ","});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, testing_frames::kWorkedExampleOutput);
  EXPECT_EQ(result.err, "");
}

TEST(RunReader, Variant3PrintsNineLines) {
  const std::string hex = Hex(testing_frames::Variant3Example());
  const Outcome result = RunWith({"--decode=" + hex, "--separator=,"});
  EXPECT_EQ(result.status, kExitOk);
  const std::size_t status_end = result.out.find('\n');
  EXPECT_EQ(result.out.substr(status_end + 1), testing_frames::kVariant3Lines);
}

TEST(RunReader, OneRunOfDigitsAndOtherSeparators) {
  std::string run;
  for (const char c : Hex(testing_frames::kWorkedExample)) {
    if (c != ' ') run += static_cast<char>(std::tolower(c));
  }
  const Outcome result = RunWith({"--separator", "٫", "--decode", run});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_NE(result.out.find("Уровень канала 1 - 45٫5 %\n"), std::string::npos);
}

TEST(RunReader, ExceptionReplyShowsOnlyTheStatusText) {
  const Outcome result = RunWith({"--decode", "01 84 02 C2 C1"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, "Принято:   1 132 2 194 193 \n");
}

TEST(RunReader, RejectedFramesPrintNothingToStandardOutput) {
  std::vector<std::uint8_t> bad_crc = testing_frames::kWorkedExample;
  bad_crc.at(bad_crc.size() - 1) ^= 1;
  std::vector<std::uint8_t> function_3 = testing_frames::kWorkedExample;
  function_3[1] = 3;
  std::vector<std::uint8_t> stray_first = {0x00};
  stray_first.insert(stray_first.end(), testing_frames::kWorkedExample.begin(),
                     testing_frames::kWorkedExample.end());
  std::vector<std::uint8_t> status_changed = testing_frames::kWorkedExample;
  status_changed[testing_frames::kStatusOffset] = 0x35;  // CRC not recomputed

  for (const auto& frame :
       {bad_crc, function_3, stray_first, status_changed, std::vector<std::uint8_t>{0x01}}) {
    const std::string hex = Hex(frame);
    const Outcome result = RunWith({"--decode", hex});
    EXPECT_EQ(result.status, kExitRejected) << hex;
    EXPECT_EQ(result.out, "") << hex;
    EXPECT_NE(result.err.find("rejected"), std::string::npos) << hex;
  }
}

TEST(RunReader, UnusableArgumentsGiveOneLineAndWhereTheUsageIs) {
  const std::string too_long(271 * 2, 'A');
  const std::string thousand_digit_com = "COM" + std::string(1000, '7');
  const std::vector<std::vector<std::string_view>> cases = {
      {},
      {"--separator", ","},
      {"--decode"},
      {"--decode", ""},
      {"--decode", "01 0"},
      {"--decode", "010"},
      {"--decode", "01 04 xz"},
      {"--decode", "01,04"},
      {"--decode", too_long},
      {"--decode", "01", "--decode", "01"},
      {"--decode", "01", "--separator", ",,"},
      {"--decode", "01", "--separator", ""},
      {"--decode", "01", "--separator"},
      {"--decode", "01", "--port", "COM1"},
      {"--help=yes"},
      {"--port", "COM1", "--demo"},
      {"--list-ports", "--address", "1"},
      {"--list-ports", "--separator", ","},
      {"--demo", "--count", "3"},
      {"--demo", "--reopen"},
      {"--decode", "01", "--reopen"},
      {"--list-ports", "--trace", "-"},
      {"--demo", "--trace", ""},
      {"--demo", "--trace", "/nonexistent/directory/read.trace"},
      {"--demo", "--cycle", "--interval", "0"},
      {"--demo", "--cycle", "--interval", "-1"},
      {"--demo", "--cycle", "--interval", "nan"},
      {"--demo", "--cycle", "--interval", "2s"},
      {"--demo", "--cycle", "--count", "0"},
      {"--demo", "--cycle", "--count", "1.5"},
      {"--demo", "--json", "--csv"},
      {"--demo", "--json", "--verbose"},
      {"--port", ""},
      // Publishing: URLs that are none, options that need another, a password on the
      // command line.
      {"--demo", "--publish", "mqtt://h/p"},
      {"--demo", "--cycle", "--publish", "mqtt://h"},
      {"--demo", "--cycle", "--publish", "mqtt://u:secret@h/p"},
      {"--demo", "--cycle", "--publish", "mqtt://h:65536/p"},
      {"--demo", "--cycle", "--queue", "10"},
      {"--demo", "--cycle", "--ha-discovery"},
      {"--demo", "--cycle", "--publish", "mqtt://h/p", "--queue", "0"},
      {"--demo", "--cycle", "--publish", "mqtt://h/p", "--ca-file", "ca.crt"},
      {"--demo", "--cycle", "--publish", "mqtts://h/p", "--cert-file", "c.crt"},
      {"--demo", "--cycle", "--publish", "mqtts://h/p", "--password-file", "/nonexistent/pw"},
      {"--decode", "01", "--publish", "mqtt://h/p"},
      // COM names outside COM1..COM255, and names that are neither.
      {"--port", "COM0"},
      {"--port", "COM01"},
      {"--port", "COM256"},
      {"--port", thousand_digit_com},
      {"--port", "COM1\n"},
      {"--port", "ttyUSB0"},
      {"--port", "/dev/ttyUSB0\x1b"},
      // Separators: digits of any script, characters that cannot be seen or
      // join the digit before them, controls, line breaks, and UTF-8 that is
      // not well-formed (overlong, surrogate, beyond U+10FFFF, cut short).
      {"--decode", "01", "--separator", "0"},
      {"--decode", "01", "--separator", "9"},
      {"--decode", "01", "--separator", "١"},             // U+0661, Arabic-Indic one
      {"--decode", "01", "--separator", "\xef\xbc\x90"},  // U+FF10, fullwidth zero
      {"--decode", "01", "--separator", "\xe2\x80\x8b"},  // U+200B, zero width space
      {"--decode", "01", "--separator", "\xe2\x80\xae"},  // U+202E, right-to-left override
      {"--decode", "01", "--separator", "\xcc\x81"},      // U+0301, combining acute accent
      {"--decode", "01", "--separator", "\xe0\xa4\x83"},  // U+0903, a spacing mark
      {"--decode", "01", "--separator", "\xe2\x83\x9d"},  // U+20DD, an enclosing circle
      {"--decode", "01", "--separator", " "},
      {"--decode", "01", "--separator", "\xc2\xa0"},          // U+00A0, no-break space
      {"--decode", "01", "--separator", "\xe3\x80\x80"},      // U+3000, ideographic space
      {"--decode", "01", "--separator", "\xf3\xa0\x80\x81"},  // U+E0001, language tag
      {"--decode", "01", "--separator", "\n"},
      {"--decode", "01", "--separator", "\x7f"},
      {"--decode", "01", "--separator", "\xc2\x85"},
      {"--decode", "01", "--separator", "\xe2\x80\xa8"},
      {"--decode", "01", "--separator", "\xc0\x80"},
      {"--decode", "01", "--separator", "\xe0\x80\xae"},
      {"--decode", "01", "--separator", "\xed\xa0\x80"},
      {"--decode", "01", "--separator", "\xf4\x90\x80\x80"},
      {"--decode", "01", "--separator", "\xd9"},
      {"--decode", "01", "--separator", "\x80"},
  };
  for (const auto& args : cases) {
    const Outcome result = RunWith(args);
    std::string shown;
    for (const auto arg : args) shown += std::string(arg) + " ";
    EXPECT_EQ(result.status, kExitUsage) << shown;
    EXPECT_EQ(result.out, "") << shown;
    const std::vector<std::string> lines = testing_run::Lines(result.err);
    ASSERT_EQ(lines.size(), 2u) << result.err;
    EXPECT_EQ(lines[0].rfind("vlk240-read: ", 0), 0u) << result.err;
    EXPECT_LT(lines[0].size(), 250u) << result.err;
    EXPECT_EQ(lines[1], "Try 'vlk240-read --help'.");
  }
}

TEST(RunReader, SeparatorsOfOneCharacterInAnyWidthAreTaken) {
  const std::string hex = Hex(testing_frames::kWorkedExample);
  for (const std::string_view separator : {".", "'", "·", "٫", "\xf0\x9f\x98\x80"}) {
    const Outcome result = RunWith({"--decode", hex, "--separator", separator});
    EXPECT_EQ(result.status, kExitOk) << separator;
    EXPECT_NE(result.out.find("45" + std::string(separator) + "5 %"), std::string::npos)
        << separator;
  }
}

// An argument shown in a message is cut short and its controls escaped, so the
// line stays one readable line.
TEST(RunReader, ArgumentsInMessagesAreShortAndPrintable) {
  const std::string huge_frame(131071, 'A');
  const Outcome frame = RunWith({"--decode", huge_frame});
  EXPECT_EQ(frame.err, "vlk240-read: --decode: odd number of hexadecimal digits in \"" +
                           std::string(40, 'A') + "…\"\nTry 'vlk240-read --help'.\n");
  const Outcome unknown = RunWith({"--\x1b[2Jоп\xff"});
  EXPECT_EQ(unknown.err,
            "vlk240-read: unknown argument \"--\\x1B[2Jоп\\xFF\"\nTry 'vlk240-read --help'.\n");
  // An invisible separator shows as nothing between the quotes: its code point says what it was.
  const Outcome invisible = RunWith({"--decode", "01", "--separator", "\xe2\x80\x8b"});
  EXPECT_NE(invisible.err.find("\" (U+200B)\n"), std::string::npos) << invisible.err;
}

TEST(RunReader, HelpGoesToStandardOutput) {
  const Outcome result = RunWith({"--help"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_NE(result.out.find("--decode HEX"), std::string::npos);
  for (const std::string_view text :
       {"--port NAME", "--address N", "--cycle", "--interval SECONDS", "--count N", "--verbose",
        "--json", "--csv", "--demo", "--separator C", "--list-ports", "--help", "VLK240_COMn",
        "/dev/ttyS(n-1)", "Exit status:", "  3  port error", "exception reply"}) {
    EXPECT_NE(result.out.find(text), std::string::npos) << text;
  }
}

// A decimal number 1..247, out of range refused with the window's own message; anything else
// is no number, whatever the window's integer conversion would make of it. Refused before any
// port is touched.
TEST(RunReader, AddressIsADecimalNumberInTheWindowsRange) {
  const std::vector<std::pair<std::string_view, std::string_view>> cases = {
      {"abc", "part \"abc\": not a decimal number"},
      {"12 ", "part \"12 \": not a decimal number"},
      {"", "part \"\": not a decimal number"},
      {"0", "Неправильное значение сетевого адреса"},
      {"248", "Неправильное значение сетевого адреса"},
      {"99999999999999999999", "Неправильное значение сетевого адреса"},
      {"-5", "part \"-5\": not a decimal number"},
      {"-0xFFFFFFFF", "part \"-0xFFFFFFFF\": not a decimal number"},
      {"0x10", "part \"0x10\": not a decimal number"},
      {"$10", "part \"$10\": not a decimal number"},
      {"+5", "part \"+5\": not a decimal number"},
      {" 1", "part \" 1\": not a decimal number"},
  };
  for (const auto& [text, message] : cases) {
    // The port does not exist: reaching it would give status 3.
    const Outcome result = RunWith({"--port", "/nonexistent/tty", "--address", text});
    EXPECT_EQ(result.status, kExitUsage) << text;
    EXPECT_EQ(result.err,
              "vlk240-read: --address: " + std::string(message) + "\nTry 'vlk240-read --help'.\n")
        << text;
    EXPECT_EQ(result.out, "");
  }
}

TEST(RunReader, MissingDeviceIsAPortError) {
  const Outcome result = RunWith({"--port", "/nonexistent/tty"});
  EXPECT_EQ(result.status, kExitPortError);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("vlk240-read: cannot open port /nonexistent/tty: "), std::string::npos);
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
}

// The port's own message stays as it is; the system's reason and what to do
// follow it.
TEST(RunReader, OpenFailuresSayWhyAndWhatToDo) {
  sim::Simulator simulator;
  const platform::HANDLE held = platform::Comm().CreateFileA(
      ("\\\\.\\" + simulator.SlavePath()).c_str(), platform::GENERIC_READ | platform::GENERIC_WRITE,
      0, nullptr, platform::OPEN_EXISTING, platform::FILE_FLAG_OVERLAPPED, 0);
  ASSERT_NE(held, platform::INVALID_HANDLE_VALUE);
  const std::pair<std::string, std::string> rows[] = {
      {"/nonexistent/tty",
       "(win error code: 2): No such file or directory. No such device; vlk240-read --list-ports "
       "shows the serial devices present.\n"},
      {"/dev/null", "(win error code: 1): Inappropriate ioctl for device. Not a serial port.\n"},
      {"/", "(win error code: 5): Is a directory. Not a serial port.\n"},
      {simulator.SlavePath(),
       "(win error code: 5): Resource temporarily unavailable. Another program uses the port. End "
       "it, then try again.\n"},
  };
  for (const auto& [port, ending] : rows) {
    const Outcome result = RunWith({"--port", port});
    EXPECT_EQ(result.status, kExitPortError) << port;
    EXPECT_EQ(result.err,
              "vlk240-read: cannot open port " + port + ": Unable to open com port " + ending);
  }
  platform::Comm().CloseHandle(held);

  EXPECT_EQ(OpenFailureHint(EACCES),
            ": Permission denied. Join the group dialout (sudo usermod -aG dialout $USER), then "
            "log in again.");
  EXPECT_EQ(OpenFailureHint(EBUSY),
            ": Device or resource busy. Another program uses the port. End it, then try again.");
  EXPECT_EQ(OpenFailureHint(EMFILE), ": Too many open files.");
  EXPECT_EQ(OpenFailureHint(0), "");
}

TEST(ParseHexFrame, GroupsAndLimits) {
  EXPECT_EQ(ParseHexFrame(" 0104\t1a ff\n").bytes, (std::vector<std::uint8_t>{1, 4, 0x1A, 0xFF}));
  EXPECT_EQ(ParseHexFrame(std::string(270 * 2, 'f')).bytes.size(), 270u);
  EXPECT_NE(ParseHexFrame("01 04 1G").error.find("character 8 ('G')"), std::string::npos);
  EXPECT_NE(ParseHexFrame("01 4").error.find("\"4\""), std::string::npos);
  EXPECT_NE(ParseHexFrame(std::string(271 * 2, 'f')).error.find("271 bytes"), std::string::npos);
}

}  // namespace
}  // namespace reader
