#include "writers.h"

namespace reader {
namespace {

class TextWriter : public RecordWriter {
 public:
  TextWriter(bool verbose, std::ostream& out) : verbose_(verbose), out_(out) {}

  void Write(const PollRecord& record) override {
    if (written_++ > 0) out_ << '\n';
    if (verbose_) {
      if (!record.sent_text.empty()) out_ << record.sent_text << '\n';  // empty: nothing sent
      if (!record.status_text.empty()) out_ << record.status_text << '\n';
    }
    for (const std::string& line : record.lines) out_ << line << '\n';
  }

 private:
  bool verbose_;
  std::ostream& out_;
  long written_ = 0;
};

}  // namespace

std::unique_ptr<RecordWriter> MakeTextWriter(bool verbose, std::ostream& out) {
  return std::make_unique<TextWriter>(verbose, out);
}

}  // namespace reader
