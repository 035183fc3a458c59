#pragma once

#include <span>
#include <string_view>
#include <variant>

#include "instrument/readings.h"

namespace instrument {

// One value of a reply as the records show it; monostate where the reply did not carry it.
using FieldValue = std::variant<std::monostate, unsigned, float, RelayStates>;

struct Field {
  std::string_view name;
  FieldValue (*value)(const Readings& readings);
};

// The values of a reply in the order the records give them, under the records' names.
std::span<const Field> Fields();

}  // namespace instrument
