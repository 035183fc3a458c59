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
// A trace only looks on: when a line cannot be written (a full disk, a FIFO or pipe whose reader
// has gone) the trace says so once on standard error and stops, and the program goes on. A
// line is written whole or, where the medium allows, not at all.
//
// Thread rule: any thread; each line is written whole, under the trace's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace trace {

class TraceOutput;

class FrameTrace {
 public:
  // Lines go to `out`, which must outlive the trace, marked with `program` ("vlk240-read"). A
  // failure stops the trace without a word.
  FrameTrace(std::ostream& out, std::string program);
  // Lines are appended to the file at `path` (so that two programs may share one), or go to
  // `standard_error` for "-"; a failure is told on `standard_error`. Opening never waits: a FIFO
  // that no process reads is refused at once. Throws std::system_error when the file cannot be
  // opened; its code's message says why in words that fit a trace.
  static std::unique_ptr<FrameTrace> Open(const std::string& path, std::ostream& standard_error,
                                          std::string program);
  ~FrameTrace();

  FrameTrace(const FrameTrace&) = delete;
  FrameTrace& operator=(const FrameTrace&) = delete;

  void Opening(std::string_view port, std::string_view device);
  void Closing(std::string_view port);
  void Failed(std::string_view message);
  void Sent(std::span<const std::uint8_t> bytes);
  void Received(std::span<const std::uint8_t> bytes);

 private:
  FrameTrace(std::unique_ptr<TraceOutput> output, std::string program,
             std::unique_ptr<TraceOutput> report, std::string name);
  void Write(std::string_view event, std::string_view detail);

  std::mutex mutex_;
  std::unique_ptr<TraceOutput> output_;  // guarded by mutex_; null once a line failed
  const std::string program_;
  const std::unique_ptr<TraceOutput> report_;  // where a failure is told; null: nowhere
  const std::string name_;                     // the trace's name in that message
};

}  // namespace trace
