#include "variant_layouts.h"

#include <array>

namespace readings {
namespace {

using enum LineKind;

// Variants 2 and 3 have a single level channel; channel 2 is an alarm sensor there.
const std::vector<FaultCase> kOneChannelFaults = {
    {true, false, {kLevel1, kVolume1}},
    {false, false, {kSensor1Error}},
};

const std::array<VariantLayout, 3> kLayouts = {{
    {"ВЛК240ТхИ Исполнение 1",
     "(Уровнемер-Уровнемер)",
     {
         {true, true, {kLevel1, kVolume1, kLevel2, kVolume2}},
         {false, true, {kSensor1Error, kLevel2, kVolume2}},
         {true, false, {kLevel1, kVolume1, kSensor2Error}},
         {false, false, {kSensor1Error, kSensor2Error}},
     },
     {}},
    {"ВЛК240ТхИ Исполнение 2",
     "(Уровнемер-Сигнализатор)",
     kOneChannelFaults,
     {kAlarmPause, kAlarmSensor}},
    {"ВЛК240ТхИ Исполнение 3",
     "(Самокалибрующийся уровнемер)",
     kOneChannelFaults,
     {kSelfCalibration, kAlarmPause, kAlarmSensor}},
}};

}  // namespace

const VariantLayout* LayoutOf(std::uint8_t variant) {
  if (variant == 0 || variant > kLayouts.size()) return nullptr;
  return &kLayouts[variant - 1];
}

}  // namespace readings
