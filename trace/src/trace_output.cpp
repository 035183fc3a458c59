#include "trace_output.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace trace {
namespace {

class OnStream : public TraceOutput {
 public:
  explicit OnStream(std::ostream& out) : out_(out) {}

  int WriteLine(std::string_view line) override {
    const std::ios::iostate before = out_.rdstate();
    errno = 0;
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
    out_.flush();
    if (out_) return 0;
    const int error = errno != 0 ? errno : EIO;
    // The stream is the program's own standard error: its later messages may still get through.
    out_.clear(before);
    return error;
  }

 private:
  std::ostream& out_;
};

struct Reason {
  int error;
  const char* text;
};
constexpr Reason kReasons[] = {
    {ENXIO, "no such device, or a FIFO that no process reads"},
    {EAGAIN, "the reader of the FIFO does not keep up"},
};

class Errors : public std::error_category {
 public:
  const char* name() const noexcept override { return "trace"; }
  std::string message(int error) const override {
    const auto reason = std::find_if(std::begin(kReasons), std::end(kReasons),
                                     [error](const Reason& r) { return r.error == error; });
    return reason != std::end(kReasons) ? reason->text : std::generic_category().message(error);
  }
};

}  // namespace

std::unique_ptr<TraceOutput> StreamOutput(std::ostream& out) {
  return std::make_unique<OnStream>(out);
}

const std::error_category& TraceErrors() {
  static const Errors errors;
  return errors;
}

}  // namespace trace
