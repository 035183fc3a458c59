#include "reader/record_writer.h"

#include "writers.h"

namespace reader {

std::unique_ptr<RecordWriter> MakeRecordWriter(OutputFormat format, bool verbose,
                                               std::ostream& out) {
  switch (format) {
    case OutputFormat::kJson:
      return MakeJsonWriter(out);
    case OutputFormat::kCsv:
      return MakeCsvWriter(out);
    case OutputFormat::kText:
      break;
  }
  return MakeTextWriter(verbose, out);
}

}  // namespace reader
