#include "writers.h"

namespace reader {
namespace {

class TextWriter : public RecordWriter {
 public:
  TextWriter(bool verbose, bool address_lines, std::ostream& out)
      : verbose_(verbose), address_lines_(address_lines), out_(out) {}

  void Write(const PollRecord& record) override {
    if (written_++ > 0) out_ << '\n';
    // With several instruments, whose lines these are.
    if (address_lines_) out_ << "address " << record.address << '\n';
    if (record.late) out_ << "late reply: came after its poll had gone unanswered\n";
    if (verbose_) {
      if (!record.sent_text.empty()) out_ << record.sent_text << '\n';  // empty: nothing sent
      if (!record.status_text.empty()) out_ << record.status_text << '\n';
    }
    for (const std::string& line : record.lines) out_ << line << '\n';
  }

 private:
  bool verbose_;
  bool address_lines_;
  std::ostream& out_;
  long written_ = 0;
};

}  // namespace

std::unique_ptr<RecordWriter> MakeTextWriter(bool verbose, bool address_lines, std::ostream& out) {
  return std::make_unique<TextWriter>(verbose, address_lines, out);
}

}  // namespace reader
