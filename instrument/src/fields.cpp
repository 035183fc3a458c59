#include "instrument/fields.h"

namespace instrument {
namespace {

template <typename T>
FieldValue Optional(const std::optional<T>& value) {
  if (!value) return std::monostate{};
  return *value;
}

const Field kFields[] = {
    {"variant", [](const Readings& r) -> FieldValue { return unsigned{r.variant}; }},
    {"fault", [](const Readings& r) -> FieldValue { return unsigned{r.fault}; }},
    {"level1", [](const Readings& r) { return Optional(r.level1); }},
    {"volume1", [](const Readings& r) { return Optional(r.volume1); }},
    {"level2", [](const Readings& r) { return Optional(r.level2); }},
    {"volume2", [](const Readings& r) { return Optional(r.volume2); }},
    {"selfcal", [](const Readings& r) -> FieldValue { return r.selfcal; }},
    {"alarm_delay", [](const Readings& r) -> FieldValue { return unsigned{r.alarm_delay}; }},
    {"relays", [](const Readings& r) { return Optional(r.relays); }},
};

}  // namespace

std::span<const Field> Fields() { return kFields; }

}  // namespace instrument
