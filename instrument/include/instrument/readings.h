#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "instrument/register_map.h"
#include "protocol/frame_buffer.h"

namespace instrument {

// The values the instrument reported, kept between replies: a value that a reply's variant and
// fault code do not carry keeps the one of an earlier reply. All zero before the first.
struct DecodedFields {
  float LEVEL_1 = 0.0f;
  float VOLUME_1 = 0.0f;
  float LEVEL_2 = 0.0f;
  float VOLUME_2 = 0.0f;
  std::uint8_t DEVICE_VARIANT = 0;
  std::uint8_t SENSOR_FAULT = 0;
  std::uint8_t ALARM_DELAY = 0;
  float SELFCAL_LEVEL = 0.0f;
};

using RelayStates = std::array<bool, status::kRelayCount>;  // relay 1 first

// What one normal reply says. A channel's level and volume are there when the variant has the
// channel and the fault code says its sensor works; the sensor is reported failed when the
// variant has the channel and the fault code says so. A fault code the variant does not list
// carries neither. Variant 1 has two level channels, variants 2 and 3 one (their channel 2 is an
// alarm sensor, shown by relay 1), variant 0 none.
struct Readings {
  std::uint8_t variant = 0;
  std::uint8_t fault = 0;
  std::optional<float> level1;
  std::optional<float> volume1;
  std::optional<float> level2;
  std::optional<float> volume2;
  bool sensor1_failed = false;
  bool sensor2_failed = false;
  float selfcal = 0.0f;
  std::uint8_t alarm_delay = 0;
  std::optional<RelayStates> relays;  // variants 1..3
};

// Decodes the accepted reply in `rx` and stores what it carries in `kept`. An exception reply
// (function code other than 4) carries nothing: nullopt, and `kept` is left alone.
std::optional<Readings> Decode(const protocol::FrameBuffer& rx, DecodedFields& kept);
// As Decode, for a reply held as its own bytes (those beyond a frame buffer are not looked at).
std::optional<Readings> Decode(std::span<const std::uint8_t> frame, DecodedFields& kept);

}  // namespace instrument
