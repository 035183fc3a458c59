#include "trace/frame_trace.h"

#include <cerrno>
#include <system_error>

#include "trace_line.h"

namespace trace {

FrameTrace::FrameTrace(std::ostream& out, std::string program)
    : out_(out), program_(std::move(program)) {}

std::unique_ptr<FrameTrace> FrameTrace::Open(const std::string& path, std::ostream& standard_error,
                                             std::string program) {
  if (path == "-") return std::make_unique<FrameTrace>(standard_error, std::move(program));
  errno = 0;
  auto file = std::make_unique<std::ofstream>(path, std::ios::app);
  if (!*file) throw std::system_error(errno != 0 ? errno : EIO, std::generic_category(), path);
  auto opened = std::make_unique<FrameTrace>(*file, std::move(program));
  opened->file_ = std::move(file);
  return opened;
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
  // Read under the lock, so that the lines of one trace keep the order of their times.
  std::string line = MillisecondsText(std::chrono::steady_clock::now());
  line.append(" ").append(program_).append(" ").append(event);
  line.append(" ").append(detail).append("\n");
  // One write per line, so that lines appended by two programs to one file stay whole.
  out_.write(line.data(), static_cast<std::streamsize>(line.size()));
  out_.flush();
}

}  // namespace trace
