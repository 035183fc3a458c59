#include "variant_layouts.h"

#include <array>

namespace readings {
namespace {

using enum TrailerLine;

const std::array<VariantLayout, 3> kLayouts = {{
    {"ВЛК240ТхИ Исполнение 1", "(Уровнемер-Уровнемер)", {}},
    {"ВЛК240ТхИ Исполнение 2", "(Уровнемер-Сигнализатор)", {kAlarmPause, kAlarmSensor}},
    {"ВЛК240ТхИ Исполнение 3",
     "(Самокалибрующийся уровнемер)",
     {kSelfCalibration, kAlarmPause, kAlarmSensor}},
}};

}  // namespace

const VariantLayout* LayoutOf(std::uint8_t variant) {
  if (variant == 0 || variant > kLayouts.size()) return nullptr;
  return &kLayouts[variant - 1];
}

}  // namespace readings
