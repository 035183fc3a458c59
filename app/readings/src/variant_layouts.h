#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace readings {

// The memo lines a variant shows after its channel lines, before the relay line that ends it.
enum class TrailerLine {
  kSelfCalibration,
  kAlarmPause,
  kAlarmSensor,
};

struct VariantLayout {
  std::string_view heading;
  std::string_view subheading;
  std::vector<TrailerLine> trailer;
};

// The layout of instrument variant 1, 2 or 3; nullptr for variant 0, which shows nothing.
const VariantLayout* LayoutOf(std::uint8_t variant);

}  // namespace readings
