#include "trace/frame_trace.h"

#include <system_error>

#include "trace_line.h"
#include "trace_output.h"

namespace trace {

FrameTrace::FrameTrace(std::ostream& out, std::string program)
    : FrameTrace(StreamOutput(out), std::move(program), nullptr, {}) {}

FrameTrace::FrameTrace(std::unique_ptr<TraceOutput> output, std::string program,
                       std::unique_ptr<TraceOutput> report, std::string name)
    : output_(std::move(output)),
      program_(std::move(program)),
      report_(std::move(report)),
      name_(std::move(name)) {}

FrameTrace::~FrameTrace() = default;

std::unique_ptr<FrameTrace> FrameTrace::Open(const std::string& path, std::ostream& standard_error,
                                             std::string program) {
  if (path == "-") {
    return std::unique_ptr<FrameTrace>(
        new FrameTrace(StreamOutput(standard_error), std::move(program),
                       StreamOutput(standard_error), "standard error"));
  }
  std::string name = "\"";
  name.append(OneLine(path)).append("\"");
  return std::unique_ptr<FrameTrace>(new FrameTrace(OpenFileOutput(path), std::move(program),
                                                    StreamOutput(standard_error), std::move(name)));
}

void FrameTrace::Opening(std::string_view port, std::string_view device) {
  std::string detail(port);
  if (!device.empty() && device != port) detail.append(" ").append(device);
  Write("open", detail);
}

void FrameTrace::Closing(std::string_view port) { Write("close", port); }

void FrameTrace::Failed(std::string_view message) { Write("error", OneLine(message)); }

void FrameTrace::Sent(std::span<const std::uint8_t> bytes) { Write("tx", CountedHex(bytes)); }

void FrameTrace::Received(std::span<const std::uint8_t> bytes) { Write("rx", CountedHex(bytes)); }

void FrameTrace::Write(std::string_view event, std::string_view detail) {
  std::lock_guard lock(mutex_);
  if (!output_) return;
  // Read under the lock, so that the lines of one trace keep the order of their times.
  std::string line = MillisecondsText(std::chrono::steady_clock::now());
  line.append(" ").append(program_).append(" ").append(event);
  line.append(" ").append(detail).append("\n");
  const int error = WithoutBrokenPipeSignal([&] { return output_->WriteLine(line); });
  if (error == 0) return;
  output_.reset();
  if (report_ == nullptr) return;
  // Said once; the program goes on without its trace.
  const std::string message =
      program_ + ": trace to " + name_ + " stopped: " + TraceErrors().message(error) + "\n";
  WithoutBrokenPipeSignal([&] { return report_->WriteLine(message); });
}

}  // namespace trace
