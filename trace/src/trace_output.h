// Where a trace's lines go, and the rules of the system the trace runs on.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

namespace trace {

class TraceOutput {
 public:
  virtual ~TraceOutput() = default;
  // Writes `line` whole; returns 0, or the errno of the write that failed. A medium that took
  // only part of the line gets that part taken back where it can be.
  virtual int WriteLine(std::string_view line) = 0;
};

// Lines into `out` (standard error, or a stream of a test), which must outlive the output.
std::unique_ptr<TraceOutput> StreamOutput(std::ostream& out);

// Lines appended to the file at `path`, created when missing. Opening never waits: a FIFO that
// no process reads fails at once. Throws std::system_error (TraceErrors()) when it cannot open.
// One file per system: trace_file_posix.cpp, trace_file_win32.cpp.
std::unique_ptr<TraceOutput> OpenFileOutput(const std::string& path);

// Runs `write` so that a pipe whose reader has gone makes it fail with EPIPE instead of
// raising the signal that would end the program. Any thread.
int WithoutBrokenPipeSignal(const std::function<int()>& write);

// Messages for the errno values of the trace's files: the system's own, but said of a FIFO
// where the system's words would not point to it.
const std::error_category& TraceErrors();

}  // namespace trace
