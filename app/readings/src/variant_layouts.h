#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace readings {

// The memo lines a variant can show, besides its headings and the relay line that ends it.
enum class LineKind {
  kLevel1,
  kVolume1,
  kLevel2,
  kVolume2,
  kSensor1Error,
  kSensor2Error,
  kSelfCalibration,
  kAlarmPause,
  kAlarmSensor,
};

// What one sensor fault code decodes and shows.
struct FaultCase {
  bool decode_channel_1 = false;
  bool decode_channel_2 = false;
  std::vector<LineKind> lines;
};

struct VariantLayout {
  std::string_view heading;
  std::string_view subheading;
  std::vector<FaultCase> by_fault_code;  // a code past the end shows no channel lines
  std::vector<LineKind> trailer;         // after the channel lines, before the relay line
};

// The layout of instrument variant 1, 2 or 3; nullptr for variant 0, which shows nothing.
const VariantLayout* LayoutOf(std::uint8_t variant);

}  // namespace readings
