// The output formats behind MakeRecordWriter, one file each.
#pragma once

#include <memory>
#include <ostream>

#include "reader/record_writer.h"

namespace reader {

std::unique_ptr<RecordWriter> MakeTextWriter(bool verbose, std::ostream& out);
std::unique_ptr<RecordWriter> MakeJsonWriter(std::ostream& out);
std::unique_ptr<RecordWriter> MakeCsvWriter(std::ostream& out);

}  // namespace reader
