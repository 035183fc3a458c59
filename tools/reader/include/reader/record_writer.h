#pragma once

#include <memory>
#include <ostream>
#include <string>

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

// How the records are laid out beyond their format.
struct RecordLayout {
  bool verbose = false;                 // text: the frames and the time-out count too
  std::string decimal_separator = ".";  // CSV: "," gives ';' between the fields
  bool header = true;                   // CSV: the header line first
  bool address_lines = false;           // text: "address N" first in each poll (several)
};

// Text: the memo lines (with several instruments after "address N"; with --verbose the sent frame
// first, then the received frame or the time-out count), an empty line before every poll but the
// first. JSON: one object per line. CSV: the header line at once unless the layout says otherwise,
// then one row per poll; with the decimal separator "," the fields are separated by ';' and the
// numbers written with ','.
std::unique_ptr<RecordWriter> MakeRecordWriter(OutputFormat format, const RecordLayout& layout,
                                               std::ostream& out);

}  // namespace reader
