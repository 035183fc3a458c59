#pragma once

#include <memory>
#include <ostream>

#include "reader/poll_record.h"
#include "reader/reader_options.h"

namespace reader {

// Prints poll records to standard output in one of the output formats. Neither
// poll failures nor output failures are its business: the caller flushes and
// checks the stream after each record and reports on standard error.
class RecordWriter {
 public:
  virtual ~RecordWriter() = default;
  virtual void Write(const PollRecord& record) = 0;
};

// Text: the memo lines (with --verbose the sent frame first, then the received
// frame or the time-out count), an empty line before every poll but the first.
// JSON: one object per line. CSV: the header line at once, then one row per
// poll.
std::unique_ptr<RecordWriter> MakeRecordWriter(OutputFormat format, bool verbose,
                                               std::ostream& out);

}  // namespace reader
