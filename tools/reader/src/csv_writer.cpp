#include <algorithm>
#include <variant>

#include "instrument/fields.h"
#include "record_fields.h"
#include "writers.h"

namespace reader {
namespace {

// The record's own columns; the reply's values follow.
constexpr std::string_view kRecordColumns[] = {"time", "address", "outcome"};

// A spreadsheet whose regional decimal separator is a comma splits a CSV line at semicolons and
// reads "45,5" as a number; one with a full stop splits at commas and reads "45.5". Any other
// separator keeps the common form.
struct Dialect {
  char field;
  char decimal;
};

Dialect DialectFor(std::string_view decimal_separator) {
  if (decimal_separator == ",") return {';', ','};
  return {',', '.'};
}

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

class CsvWriter : public RecordWriter {
 public:
  CsvWriter(std::string_view decimal_separator, bool header, std::ostream& out)
      : dialect_(DialectFor(decimal_separator)), out_(out) {
    if (!header) return;
    std::string line;
    const auto add = [&](std::string_view column) {
      if (!line.empty()) line += dialect_.field;
      line += column;
    };
    for (const std::string_view column : kRecordColumns) add(column);
    for (const instrument::Field& field : instrument::Fields()) add(field.name);
    out_ << line << '\n';
  }

  void Write(const PollRecord& record) override {
    std::string row = IsoTime(record.time);
    const auto add = [&](const std::string& cell) { row.append(1, dialect_.field).append(cell); };
    add(std::to_string(record.address));
    add(std::string(OutcomeName(record.outcome)));
    for (const instrument::Field& field : instrument::Fields()) {
      add(record.readings ? std::visit(CellText{dialect_.decimal}, field.value(*record.readings))
                          : "");
    }
    out_ << row << '\n';
  }

 private:
  const Dialect dialect_;
  std::ostream& out_;
};

}  // namespace

std::unique_ptr<RecordWriter> MakeCsvWriter(std::string_view decimal_separator, bool header,
                                            std::ostream& out) {
  return std::make_unique<CsvWriter>(decimal_separator, header, out);
}

}  // namespace reader
