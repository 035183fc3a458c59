#include <optional>

#include "record_fields.h"
#include "writers.h"

namespace reader {
namespace {

constexpr std::string_view kHeader =
    "timestamp,address,outcome,variant,fault,level1,volume1,level2,volume2,"
    "selfcal,alarm_delay,"
    "relays";

// Numbers with a full stop whatever the regional separator, so the column
// parses anywhere; an empty cell for a value the reply did not carry.
std::string Cell(std::optional<float> value) { return value ? FloatText(*value) : ""; }

class CsvWriter : public RecordWriter {
 public:
  explicit CsvWriter(std::ostream& out) : out_(out) { out_ << kHeader << '\n'; }

  void Write(const PollRecord& record) override {
    const std::optional<ReplyReadings>& r = record.readings;
    std::string row = IsoTime(record.time) + ',' + std::to_string(record.address) + ',' +
                      std::string(OutcomeName(record.outcome));
    row += ',' + (r ? std::to_string(r->variant) : "");
    row += ',' + (r ? std::to_string(r->fault) : "");
    row += ',' + Cell(r ? r->level1 : std::nullopt);
    row += ',' + Cell(r ? r->volume1 : std::nullopt);
    row += ',' + Cell(r ? r->level2 : std::nullopt);
    row += ',' + Cell(r ? r->volume2 : std::nullopt);
    row += ',' + Cell(r ? std::optional<float>(r->selfcal) : std::nullopt);
    row += ',' + (r ? std::to_string(r->alarm_delay) : "");
    row += ',';
    if (r && r->relays) {
      for (const bool on : *r->relays) row += on ? '1' : '0';
    }
    out_ << row << '\n';
  }

 private:
  std::ostream& out_;
};

}  // namespace

std::unique_ptr<RecordWriter> MakeCsvWriter(std::ostream& out) {
  return std::make_unique<CsvWriter>(out);
}

}  // namespace reader
