#include <cstdio>
#include <variant>

#include "instrument/fields.h"
#include "readings/record_fields.h"
#include "writers.h"

namespace reader {
namespace {

// Quotes `text` as a JSON string; bytes from 0x80 (UTF-8 sequences) are kept as
// they are.
std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
          quoted += escape;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

// JSON has no NaN or infinity: they become null, as does a value the reply did
// not carry.
struct JsonText {
  std::string operator()(std::monostate) const { return "null"; }
  std::string operator()(unsigned value) const { return std::to_string(value); }
  std::string operator()(float value) const {
    std::string text = readings::FloatText(value);
    return (text == "nan" || text == "inf" || text == "-inf") ? "null" : text;
  }
  std::string operator()(const instrument::RelayStates& relays) const {
    std::string text = "[";
    for (std::size_t i = 0; i < relays.size(); ++i) {
      text += std::string(i > 0 ? "," : "") + (relays[i] ? "true" : "false");
    }
    return text + "]";
  }
};

std::string JsonValue(const instrument::FieldValue& value) { return std::visit(JsonText{}, value); }

}  // namespace

std::string JsonRecordText(const PollRecord& record) {
  std::string json = "{\"time\":" + JsonString(readings::IsoTime(record.time)) +
                     ",\"address\":" + std::to_string(record.address) +
                     ",\"outcome\":" + JsonString(OutcomeName(record.outcome));
  for (const instrument::Field& field : instrument::Fields()) {
    json += ",\"" + std::string(field.name) +
            "\":" + (record.readings ? JsonValue(field.value(*record.readings)) : "null");
  }
  json += ",\"lines\":[";
  for (std::size_t i = 0; i < record.lines.size(); ++i) {
    if (i > 0) json += ',';
    json += JsonString(record.lines[i]);
  }
  json += "],\"raw\":" + (record.reply.empty() ? "null" : JsonString(readings::ByteList(record.reply)));
  // Only when set, so that the records of a line without late replies stay as they were.
  if (record.late) json += ",\"late\":true";
  return json + "}";
}

namespace {

class JsonWriter : public RecordWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  void Write(const PollRecord& record) override { out_ << JsonRecordText(record) << '\n'; }

 private:
  std::ostream& out_;
};

}  // namespace

std::unique_ptr<RecordWriter> MakeJsonWriter(std::ostream& out) {
  return std::make_unique<JsonWriter>(out);
}

}  // namespace reader
