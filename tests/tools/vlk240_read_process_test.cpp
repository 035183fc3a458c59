// Runs the built program itself, so the entry point, the exit status and the
// streams are covered as a user sees them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "reply_frames.h"

namespace {

struct ProcessResult {
  int status;
  std::string out;
};

// `arguments` is appended to the program path as shell words; standard error is
// discarded.
ProcessResult RunProgram(const std::string &arguments) {
  const std::string command =
      std::string("'") + VLK240_READ_PATH + "' " + arguments + " 2>/dev/null";
  FILE *pipe = popen(command.c_str(), "r");
  if (pipe == nullptr)
    return {-1, ""};
  std::string out;
  std::array<char, 512> chunk;
  std::size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
    out.append(chunk.data(), got);
  const int wait_status = pclose(pipe);
  return {WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1, out};
}

std::string Quoted(const std::string &text) { return "'" + text + "'"; }

TEST(Vlk240ReadProgram, DecodesTheWorkedExample) {
  const ProcessResult result =
      RunProgram("--decode " +
                 Quoted(reader::testing_frames::Hex(
                     reader::testing_frames::kWorkedExample)) +
                 " --separator ,");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, reader::testing_frames::kWorkedExampleOutput);
}

TEST(Vlk240ReadProgram, DecodesVariant3) {
  const ProcessResult result =
      RunProgram("--decode " +
                 Quoted(reader::testing_frames::Hex(
                     reader::testing_frames::Variant3Example())) +
                 " --separator ,");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find(reader::testing_frames::kVariant3Lines),
            std::string::npos);
}

TEST(Vlk240ReadProgram, RejectedFrameAndBadArguments) {
  const ProcessResult rejected = RunProgram("--decode '01 04 00 00'");
  EXPECT_EQ(rejected.status, 1);
  EXPECT_EQ(rejected.out, "");
  const ProcessResult unusable = RunProgram("--decode '01 0'");
  EXPECT_EQ(unusable.status, 2);
  EXPECT_EQ(unusable.out, "");
}

} // namespace
