#include "readings/csv_rows.h"

#include <algorithm>
#include <variant>

#include "instrument/fields.h"
#include "readings/record_fields.h"

namespace readings {
namespace {

// The record's own columns; the reply's values follow, then the late mark.
constexpr std::string_view kRecordColumns[] = {"time", "address", "outcome"};
constexpr std::string_view kLateColumn = "late";

// An empty cell for a value the reply did not carry.
struct CellText {
  char decimal;

  std::string operator()(std::monostate) const { return ""; }
  std::string operator()(unsigned value) const { return std::to_string(value); }
  std::string operator()(float value) const {
    std::string text = FloatText(value);
    std::replace(text.begin(), text.end(), '.', decimal);
    return text;
  }
  // "R1010": relay 1 first, 1 for on. The letter keeps the cell text in a spreadsheet, which
  // would read the bare digits as the number 1010 and drop the leading zeros of "0011".
  std::string operator()(const instrument::RelayStates& relays) const {
    std::string text = "R";
    for (const bool on : relays) text += on ? '1' : '0';
    return text;
  }
};

}  // namespace

CsvDialect CsvDialectFor(std::string_view decimal_separator) {
  if (decimal_separator == ",") return {';', ','};
  return {',', '.'};
}

std::string CsvHeader(CsvDialect dialect) {
  std::string line;
  const auto add = [&](std::string_view column) {
    if (!line.empty()) line += dialect.field;
    line += column;
  };
  for (const std::string_view column : kRecordColumns) add(column);
  for (const instrument::Field& field : instrument::Fields()) add(field.name);
  if (dialect.late_column) add(kLateColumn);
  return line;
}

std::string CsvRow(CsvDialect dialect, std::chrono::system_clock::time_point time, int address,
                   RecordOutcome outcome, const instrument::Readings* readings, bool late) {
  std::string row = IsoTime(time);
  const auto add = [&](std::string_view cell) { row.append(1, dialect.field).append(cell); };
  add(std::to_string(address));
  add(OutcomeName(outcome));
  for (const instrument::Field& field : instrument::Fields()) {
    add(readings != nullptr ? std::visit(CellText{dialect.decimal}, field.value(*readings)) : "");
  }
  if (dialect.late_column) add(late ? kLateColumn : "");
  return row;
}

}  // namespace readings
