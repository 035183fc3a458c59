#include "readings/reply_decoder.h"

#include "protocol/frames.h"
#include "readings/value_text.h"
#include "variant_layouts.h"

namespace readings {
namespace {

std::string RelayLine(const instrument::RelayStates& relays) {
  std::string line = "Состояния реле: ";
  for (const bool on : relays) line += on ? "Вкл. " : "Выкл. ";
  return line;
}

std::string Percent(std::string_view label, float value, std::string_view separator) {
  return std::string(label) + ValueText(value, separator) + " %";
}

// Values when the reply carries them, the error line when it reports the sensor failed.
void AddChannelLines(int channel, const std::optional<float>& level,
                     const std::optional<float>& volume, bool failed, std::string_view separator,
                     std::vector<std::string>& lines) {
  const std::string number = std::to_string(channel);
  if (level && volume) {
    lines.push_back(Percent("Уровень канала " + number + " - ", *level, separator));
    lines.push_back(Percent("Объём канала " + number + " - ", *volume, separator));
  } else if (failed) {
    lines.push_back("Датчик канала " + number + " - ошибка");
  }
}

std::string TrailerText(TrailerLine kind, const instrument::Readings& readings,
                        std::string_view separator) {
  switch (kind) {
    case TrailerLine::kSelfCalibration:
      return Percent("Уровень самокалибровки - ", readings.selfcal, separator);
    case TrailerLine::kAlarmPause:
      // The unit is the Latin letter "c", not the Cyrillic one.
      return "Пауза на срабатывание сигнализатора - " + std::to_string(readings.alarm_delay) + " c";
    case TrailerLine::kAlarmSensor:
      return readings.relays && (*readings.relays)[0] ? "Датчик-сигнализатор канала 2 - ВКЛ."
                                                      : "Датчик-сигнализатор канала 2 - ВЫКЛ.";
  }
  return {};
}

}  // namespace

std::vector<std::string> MemoLines(const instrument::Readings& readings,
                                   std::string_view separator) {
  std::vector<std::string> lines;
  const VariantLayout* layout = LayoutOf(readings.variant);
  if (layout == nullptr || !readings.relays) return lines;

  lines.emplace_back(layout->heading);
  lines.emplace_back(layout->subheading);
  lines.emplace_back();
  AddChannelLines(1, readings.level1, readings.volume1, readings.sensor1_failed, separator, lines);
  AddChannelLines(2, readings.level2, readings.volume2, readings.sensor2_failed, separator, lines);
  for (const TrailerLine kind : layout->trailer)
    lines.push_back(TrailerText(kind, readings, separator));
  lines.push_back(RelayLine(*readings.relays));
  return lines;
}

std::optional<std::vector<std::string>> DecodeReply(const protocol::FrameBuffer& rx,
                                                    DecodedFields& fields,
                                                    std::string_view separator) {
  const std::optional<instrument::Readings> readings = instrument::Decode(rx, fields);
  if (!readings) return std::nullopt;
  std::vector<std::string> lines = MemoLines(*readings, separator);
  if (!lines.empty()) fields.RELAY_TEXT = lines.back();
  return lines;
}

std::string ReceivedStatusText(std::string_view rx_text) {
  return std::string(protocol::RECEIVED_PREFIX).append(rx_text);
}

}  // namespace readings
