// The table of stored port settings: group, value name, form, and how to read
// the setting as text and assign it from text. Saving and loading, to an INI
// file or a registry key, all walk this one table.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "comport/com_port.h"

namespace comport {

enum class ValueForm { kText, kInteger };

struct StoredSetting {
  TStoredGroup group;
  std::string_view name;
  ValueForm form;
  // The setting in its stored form; integers as decimal text.
  std::string (*get)(const TCustomComPort& port);
  // Assigns through the port's setter (text forms through their conversion).
  void (*set)(TCustomComPort& port, std::string_view text);
  // The INI load's default when it is not the current value.
  const char* fixed_default = nullptr;
};

// Calls `visit` for each setting of the port's StoredGroups, groups in the
// order Basic, Others, Parity, Buffer, Timeouts, FlowControl. "CustomBaudRate"
// is visited only while BaudRate is brCustom, checked when it is reached, so a
// load sees the BaudRate it has just assigned.
void ForEachStoredSetting(TCustomComPort& port,
                          const std::function<void(const StoredSetting&)>& visit);

}  // namespace comport
