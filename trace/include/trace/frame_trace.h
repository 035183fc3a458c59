// A trace of what crosses the serial line, for finding out why an instrument does not answer.
// Off unless asked for: a program without a trace creates none and records nothing.
//
// One line per event, fields separated by one blank:
//   MS PROGRAM open PORT [DEVICE]  the port is being opened (DEVICE: what the name stands for)
//   MS PROGRAM close PORT          the port is being closed
//   MS PROGRAM error MESSAGE       the open or transfer just before failed; the port's message
//   MS PROGRAM tx N HEX...         N bytes were sent, in hexadecimal ("01 04 00 00 00 0D 31 CA")
//   MS PROGRAM rx N HEX...         a read returned N bytes (0: nothing came in time)
// MS is the monotonic clock (steady_clock, CLOCK_MONOTONIC on Linux) in milliseconds with three
// decimals; all processes of a machine share it, so traces of both ends of a line merge by it
// (sort -n). Each file's lines are in the order of their times.
//
// Thread rule: any thread; each line is written whole, under the trace's lock.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace trace {

class FrameTrace {
 public:
  // Lines go to `out`, which must outlive the trace, marked with `program` ("vlk240-read").
  FrameTrace(std::ostream& out, std::string program);
  // Lines are appended to the file at `path` (so that two programs may share one), or go to
  // `standard_error` for "-". Throws std::system_error when the file cannot be opened.
  static std::unique_ptr<FrameTrace> Open(const std::string& path, std::ostream& standard_error,
                                          std::string program);

  FrameTrace(const FrameTrace&) = delete;
  FrameTrace& operator=(const FrameTrace&) = delete;

  void Opening(std::string_view port, std::string_view device);
  void Closing(std::string_view port);
  void Failed(std::string_view message);
  void Sent(std::span<const std::uint8_t> bytes);
  void Received(std::span<const std::uint8_t> bytes);

 private:
  void Write(std::string_view event, std::string_view detail);

  std::unique_ptr<std::ofstream> file_;  // when the trace opened its own file
  std::mutex mutex_;
  std::ostream& out_;  // guarded by mutex_
  const std::string program_;
};

}  // namespace trace
