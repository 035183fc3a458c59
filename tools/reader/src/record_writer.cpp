#include "reader/record_writer.h"

#include "writers.h"

namespace reader {

std::unique_ptr<RecordWriter> MakeRecordWriter(OutputFormat format, const RecordLayout& layout,
                                               std::ostream& out) {
  switch (format) {
    case OutputFormat::kJson:
      return MakeJsonWriter(out);
    case OutputFormat::kCsv:
      return MakeCsvWriter(layout.decimal_separator, layout.header, out);
    case OutputFormat::kText:
      break;
  }
  return MakeTextWriter(layout.verbose, layout.address_lines, out);
}

}  // namespace reader
