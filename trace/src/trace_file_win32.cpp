#include <cerrno>
#include <fstream>

#include "trace_output.h"

namespace trace {
namespace {

// Windows has no FIFO that blocks an open and raises no signal for a pipe whose reader has
// gone: the file goes through the standard library.
class FileOutput : public TraceOutput {
 public:
  explicit FileOutput(std::unique_ptr<std::ofstream> file)
      : file_(std::move(file)), lines_(StreamOutput(*file_)) {}

  int WriteLine(std::string_view line) override { return lines_->WriteLine(line); }

 private:
  std::unique_ptr<std::ofstream> file_;
  std::unique_ptr<TraceOutput> lines_;
};

}  // namespace

std::unique_ptr<TraceOutput> OpenFileOutput(const std::string& path) {
  errno = 0;
  auto file = std::make_unique<std::ofstream>(path, std::ios::app);
  if (!*file) throw std::system_error(errno != 0 ? errno : EIO, TraceErrors(), path);
  return std::make_unique<FileOutput>(std::move(file));
}

int WithoutBrokenPipeSignal(const std::function<int()>& write) { return write(); }

}  // namespace trace
