#include "readings/csv_rows.h"
#include "writers.h"

namespace reader {
namespace {

// A log appended to keeps the columns of its header, which may be older than the late mark.
readings::CsvDialect DialectFor(std::string_view decimal_separator, bool header) {
  readings::CsvDialect dialect = readings::CsvDialectFor(decimal_separator);
  dialect.late_column = header;
  return dialect;
}

class CsvWriter : public RecordWriter {
 public:
  CsvWriter(std::string_view decimal_separator, bool header, std::ostream& out)
      : dialect_(DialectFor(decimal_separator, header)), out_(out) {
    if (header) out_ << readings::CsvHeader(dialect_) << '\n';
  }

  void Write(const PollRecord& record) override {
    out_ << readings::CsvRow(dialect_, record.time, record.address, record.outcome,
                             record.readings ? &*record.readings : nullptr, record.late)
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
