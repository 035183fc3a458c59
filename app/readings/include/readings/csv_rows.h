// The CSV lines of poll records, as the command-line reader writes them and the trend page
// saves them: "time,address,outcome", the reply's values under instrument::Fields()' names,
// then "late", in the dialect of the decimal separator.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "instrument/readings.h"
#include "readings/record_outcome.h"

namespace readings {

// A spreadsheet whose regional decimal separator is a comma splits a CSV line at semicolons and
// reads "45,5" as a number; one with a full stop splits at commas and reads "45.5". Any other
// separator keeps the common form.
struct CsvDialect {
  char field;
  char decimal;
  // The last column, which logs begun before it came lack: rows appended to one leave it out.
  bool late_column = true;
};
CsvDialect CsvDialectFor(std::string_view decimal_separator);

// The header line, without its line end.
std::string CsvHeader(CsvDialect dialect);
// One record's line, without its line end: its ISO time, address and outcome name, then the
// values of `readings`, empty cells for those it does not carry or for none, then "late" when
// the reply came after its poll's wait, an empty cell otherwise.
std::string CsvRow(CsvDialect dialect, std::chrono::system_clock::time_point time, int address,
                   RecordOutcome outcome, const instrument::Readings* readings, bool late);

}  // namespace readings
