// The output formats behind MakeRecordWriter, one file each.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "reader/record_writer.h"

namespace reader {

std::unique_ptr<RecordWriter> MakeTextWriter(bool verbose, bool address_lines, std::ostream& out);
std::unique_ptr<RecordWriter> MakeJsonWriter(std::ostream& out);
// The JSON writer's line for `record`, without its line end.
std::string JsonRecordText(const PollRecord& record);
std::unique_ptr<RecordWriter> MakeCsvWriter(std::string_view decimal_separator, bool header,
                                            std::ostream& out);

}  // namespace reader
