#include <cstdio>
#include <optional>

#include "record_fields.h"
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
std::string JsonNumber(std::optional<float> value) {
  if (!value) return "null";
  std::string text = FloatText(*value);
  return (text == "nan" || text == "inf" || text == "-inf") ? "null" : text;
}

class JsonWriter : public RecordWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  void Write(const PollRecord& record) override {
    const std::optional<ReplyReadings>& r = record.readings;
    std::string json = "{\"time\":" + JsonString(IsoTime(record.time)) +
                       ",\"address\":" + std::to_string(record.address) +
                       ",\"outcome\":" + JsonString(OutcomeName(record.outcome));
    json += ",\"variant\":" + (r ? std::to_string(r->variant) : "null");
    json += ",\"fault\":" + (r ? std::to_string(r->fault) : "null");
    json += ",\"level1\":" + JsonNumber(r ? r->level1 : std::nullopt);
    json += ",\"volume1\":" + JsonNumber(r ? r->volume1 : std::nullopt);
    json += ",\"level2\":" + JsonNumber(r ? r->level2 : std::nullopt);
    json += ",\"volume2\":" + JsonNumber(r ? r->volume2 : std::nullopt);
    json += ",\"selfcal\":" + JsonNumber(r ? std::optional<float>(r->selfcal) : std::nullopt);
    json += ",\"alarm_delay\":" + (r ? std::to_string(r->alarm_delay) : "null");
    json += ",\"relays\":";
    if (r && r->relays) {
      json += '[';
      for (std::size_t i = 0; i < r->relays->size(); ++i) {
        json += std::string(i > 0 ? "," : "") + ((*r->relays)[i] ? "true" : "false");
      }
      json += ']';
    } else {
      json += "null";
    }
    json += ",\"lines\":[";
    for (std::size_t i = 0; i < record.lines.size(); ++i) {
      if (i > 0) json += ',';
      json += JsonString(record.lines[i]);
    }
    json += "],\"raw\":" + (record.reply.empty() ? "null" : JsonString(ByteList(record.reply)));
    out_ << json << "}\n";
  }

 private:
  std::ostream& out_;
};

}  // namespace

std::unique_ptr<RecordWriter> MakeJsonWriter(std::ostream& out) {
  return std::make_unique<JsonWriter>(out);
}

}  // namespace reader
