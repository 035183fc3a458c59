#include "readings/reply_decoder.h"

#include "protocol/frames.h"
#include "readings/skley_float.h"
#include "readings/value_text.h"
#include "variant_layouts.h"

namespace readings {
namespace {

// Offsets into the 31-byte reply to "read 13 input registers from 0".
constexpr std::size_t kFunctionCode = 1;
constexpr std::size_t kSensorFault = 4;
constexpr std::size_t kLevel1 = 5;
constexpr std::size_t kVolume1 = 9;
constexpr std::size_t kLevel2 = 13;
constexpr std::size_t kVolume2 = 17;
constexpr std::size_t kStatus = 22;
constexpr std::size_t kAlarmDelay = 24;
constexpr std::size_t kSelfCalibration = 25;

constexpr std::uint8_t kReadInputRegisters = 4;
constexpr std::uint8_t kVariantBits = 0x30;
constexpr int kVariantShift = 4;
constexpr int kRelayCount = 4;

float FloatAt(const protocol::FrameBuffer& rx, std::size_t offset) {
  // The value came from a single, so narrowing it back is exact.
  return static_cast<float>(
      SKLEY_FLOAT(rx[offset], rx[offset + 1], rx[offset + 2], rx[offset + 3]));
}

std::string RelayLine(std::uint8_t status) {
  std::string line = "Состояния реле: ";
  for (int relay = 0; relay < kRelayCount; ++relay) {
    line += ((status >> relay) & 1) != 0 ? "Вкл. " : "Выкл. ";
  }
  return line;
}

std::string Percent(std::string_view label, float value, std::string_view separator) {
  return std::string(label) + ValueText(value, separator) + " %";
}

std::string LineText(LineKind kind, const DecodedFields& fields, std::uint8_t status,
                     std::string_view separator) {
  switch (kind) {
    case LineKind::kLevel1:
      return Percent("Уровень канала 1 - ", fields.LEVEL_1, separator);
    case LineKind::kVolume1:
      return Percent("Объём канала 1 - ", fields.VOLUME_1, separator);
    case LineKind::kLevel2:
      return Percent("Уровень канала 2 - ", fields.LEVEL_2, separator);
    case LineKind::kVolume2:
      return Percent("Объём канала 2 - ", fields.VOLUME_2, separator);
    case LineKind::kSensor1Error:
      return "Датчик канала 1 - ошибка";
    case LineKind::kSensor2Error:
      return "Датчик канала 2 - ошибка";
    case LineKind::kSelfCalibration:
      return Percent("Уровень самокалибровки - ", fields.SELFCAL_LEVEL, separator);
    case LineKind::kAlarmPause:
      // The unit is the Latin letter "c", not the Cyrillic one.
      return "Пауза на срабатывание сигнализатора - " + std::to_string(fields.ALARM_DELAY) + " c";
    case LineKind::kAlarmSensor:
      return (status & 1) != 0 ? "Датчик-сигнализатор канала 2 - ВКЛ."
                               : "Датчик-сигнализатор канала 2 - ВЫКЛ.";
  }
  return {};
}

}  // namespace

std::optional<std::vector<std::string>> DecodeReply(const protocol::FrameBuffer& rx,
                                                    DecodedFields& fields,
                                                    std::string_view separator) {
  if (rx[kFunctionCode] != kReadInputRegisters) return std::nullopt;

  const std::uint8_t status = rx[kStatus];
  fields.DEVICE_VARIANT = static_cast<std::uint8_t>((status & kVariantBits) >> kVariantShift);
  fields.SENSOR_FAULT = rx[kSensorFault];
  fields.SELFCAL_LEVEL = FloatAt(rx, kSelfCalibration);
  fields.ALARM_DELAY = rx[kAlarmDelay];

  std::vector<std::string> lines;
  const VariantLayout* layout = LayoutOf(fields.DEVICE_VARIANT);
  if (layout == nullptr) return lines;

  lines.emplace_back(layout->heading);
  lines.emplace_back(layout->subheading);
  lines.emplace_back();
  if (fields.SENSOR_FAULT < layout->by_fault_code.size()) {
    const FaultCase& fault = layout->by_fault_code[fields.SENSOR_FAULT];
    if (fault.decode_channel_1) {
      fields.LEVEL_1 = FloatAt(rx, kLevel1);
      fields.VOLUME_1 = FloatAt(rx, kVolume1);
    }
    if (fault.decode_channel_2) {
      fields.LEVEL_2 = FloatAt(rx, kLevel2);
      fields.VOLUME_2 = FloatAt(rx, kVolume2);
    }
    for (const LineKind kind : fault.lines)
      lines.push_back(LineText(kind, fields, status, separator));
  }
  for (const LineKind kind : layout->trailer)
    lines.push_back(LineText(kind, fields, status, separator));
  fields.RELAY_TEXT = RelayLine(status);
  lines.push_back(fields.RELAY_TEXT);
  return lines;
}

std::string ReceivedStatusText(std::string_view rx_text) {
  return std::string(protocol::RECEIVED_PREFIX).append(rx_text);
}

}  // namespace readings
