#include "readings/csv_rows.h"
#include "writers.h"

namespace reader {
namespace {

class CsvWriter : public RecordWriter {
 public:
  CsvWriter(std::string_view decimal_separator, bool header, std::ostream& out)
      : dialect_(readings::CsvDialectFor(decimal_separator)), out_(out) {
    if (header) out_ << readings::CsvHeader(dialect_) << '\n';
  }

  void Write(const PollRecord& record) override {
    out_ << readings::CsvRow(dialect_, record.time, record.address, record.outcome,
                             record.readings ? &*record.readings : nullptr)
         << '\n';
  }

 private:
  const readings::CsvDialect dialect_;
  std::ostream& out_;
};

}  // namespace

std::unique_ptr<RecordWriter> MakeCsvWriter(std::string_view decimal_separator, bool header,
                                            std::ostream& out) {
  return std::make_unique<CsvWriter>(decimal_separator, header, out);
}

}  // namespace reader
