#include "instrument/readings.h"

#include <algorithm>

#include "instrument/skley_float.h"
#include "protocol/frames.h"

namespace instrument {
namespace {

// Channels of variants 0 to 3. The fault code has one bit per channel, channel 1 lowest, set
// when that channel's sensor failed; a code with a bit beyond the variant's channels is not one
// the variant lists.
constexpr std::array<int, 4> kChannelsOfVariant = {0, 2, 1, 1};

float FloatAt(const protocol::FrameBuffer& rx, std::size_t offset) {
  // The value came from a single, so narrowing it back is exact.
  return static_cast<float>(
      SKLEY_FLOAT(rx[offset], rx[offset + 1], rx[offset + 2], rx[offset + 3]));
}

}  // namespace

std::optional<Readings> Decode(std::span<const std::uint8_t> frame, DecodedFields& kept) {
  protocol::FrameBuffer rx{};
  std::copy_n(frame.begin(), std::min(frame.size(), rx.size()), rx.begin());
  return Decode(rx, kept);
}

std::optional<Readings> Decode(const protocol::FrameBuffer& rx, DecodedFields& kept) {
  if (rx[reply::kFunctionCode] != protocol::FUNC_READ_INPUT_REGISTERS) return std::nullopt;

  const std::uint8_t status_byte = rx[reply::kStatus];
  Readings readings;
  readings.variant =
      static_cast<std::uint8_t>((status_byte & status::kVariantBits) >> status::kVariantShift);
  readings.fault = rx[reply::kSensorFault];
  readings.selfcal = FloatAt(rx, reply::kSelfCalibration);
  readings.alarm_delay = rx[reply::kAlarmDelay];

  const int channels = kChannelsOfVariant[readings.variant];
  if (readings.fault < (1 << channels)) {
    const bool failed1 = (readings.fault & 1) != 0;
    const bool failed2 = (readings.fault & 2) != 0;
    readings.sensor1_failed = channels >= 1 && failed1;
    readings.sensor2_failed = channels >= 2 && failed2;
    if (channels >= 1 && !failed1) {
      readings.level1 = FloatAt(rx, reply::kLevel1);
      readings.volume1 = FloatAt(rx, reply::kVolume1);
    }
    if (channels >= 2 && !failed2) {
      readings.level2 = FloatAt(rx, reply::kLevel2);
      readings.volume2 = FloatAt(rx, reply::kVolume2);
    }
  }
  if (readings.variant != 0) {
    RelayStates relays{};
    for (std::size_t bit = 0; bit < relays.size(); ++bit)
      relays[bit] = ((status_byte >> bit) & 1) != 0;
    readings.relays = relays;
  }

  kept.DEVICE_VARIANT = readings.variant;
  kept.SENSOR_FAULT = readings.fault;
  kept.SELFCAL_LEVEL = readings.selfcal;
  kept.ALARM_DELAY = readings.alarm_delay;
  kept.LEVEL_1 = readings.level1.value_or(kept.LEVEL_1);
  kept.VOLUME_1 = readings.volume1.value_or(kept.VOLUME_1);
  kept.LEVEL_2 = readings.level2.value_or(kept.LEVEL_2);
  kept.VOLUME_2 = readings.volume2.value_or(kept.VOLUME_2);
  return readings;
}

}  // namespace instrument
