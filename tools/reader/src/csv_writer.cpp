#include <algorithm>
#include <optional>

#include "record_fields.h"
#include "writers.h"

namespace reader {
namespace {

constexpr std::string_view kColumns[] = {
    "time",    "address", "outcome", "variant", "fault",       "level1",
    "volume1", "level2",  "volume2", "selfcal", "alarm_delay", "relays",
};

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

class CsvWriter : public RecordWriter {
 public:
  CsvWriter(std::string_view decimal_separator, bool header, std::ostream& out)
      : dialect_(DialectFor(decimal_separator)), out_(out) {
    if (!header) return;
    std::string line;
    for (const std::string_view column : kColumns) {
      if (!line.empty()) line += dialect_.field;
      line += column;
    }
    out_ << line << '\n';
  }

  void Write(const PollRecord& record) override {
    const std::optional<ReplyReadings>& r = record.readings;
    std::string row = IsoTime(record.time);
    const auto add = [&](const std::string& cell) { row.append(1, dialect_.field).append(cell); };
    add(std::to_string(record.address));
    add(std::string(OutcomeName(record.outcome)));
    add(r ? std::to_string(r->variant) : "");
    add(r ? std::to_string(r->fault) : "");
    add(Number(r ? r->level1 : std::nullopt));
    add(Number(r ? r->volume1 : std::nullopt));
    add(Number(r ? r->level2 : std::nullopt));
    add(Number(r ? r->volume2 : std::nullopt));
    add(Number(r ? std::optional<float>(r->selfcal) : std::nullopt));
    add(r ? std::to_string(r->alarm_delay) : "");
    add(r && r->relays ? Relays(*r->relays) : "");
    out_ << row << '\n';
  }

 private:
  // An empty cell for a value the reply did not carry.
  std::string Number(std::optional<float> value) const {
    if (!value) return "";
    std::string text = FloatText(*value);
    std::replace(text.begin(), text.end(), '.', dialect_.decimal);
    return text;
  }

  // "R1010": relay 1 first, 1 for on. The letter keeps the cell text in a spreadsheet, which
  // would read the bare digits as the number 1010 and drop the leading zeros of "0011".
  static std::string Relays(const std::array<bool, 4>& relays) {
    std::string text = "R";
    for (const bool on : relays) text += on ? '1' : '0';
    return text;
  }

  const Dialect dialect_;
  std::ostream& out_;
};

}  // namespace

std::unique_ptr<RecordWriter> MakeCsvWriter(std::string_view decimal_separator, bool header,
                                            std::ostream& out) {
  return std::make_unique<CsvWriter>(decimal_separator, header, out);
}

}  // namespace reader
