// Saving a port's settings to, and loading them from, an INI file section
// (named after the port component) or an opened registry key. The port's
// StoredGroups choose the groups; they are processed in the fixed order Basic,
// Others, Parity, Buffer, Timeouts, FlowControl.
//
// Loading assigns every value through the port's setters, so an open port
// re-applies each group at once and a changed Port reopens the port before the
// remaining values are read. An error of the facility or of a re-apply ends
// the load at that value; the values assigned before it stay.
//
// Thread rule: the thread that owns the port.
#pragma once

#include "comport/com_port.h"
#include "runtime/custom_ini_file.h"
#include "runtime/registry_key.h"

namespace comport {

void SaveToIniFile(TCustomComPort& port, runtime::TCustomIniFile& ini_file);
// A missing name keeps the current value (CustomBaudRate falls back to 9600).
void LoadFromIniFile(TCustomComPort& port, runtime::TCustomIniFile& ini_file);
void SaveToRegistry(TCustomComPort& port, runtime::TRegistryKey& key);
// No defaults: a missing text value gives its conversion's default (an empty
// Port for "Port"); a missing integer value raises the key's error.
void LoadFromRegistry(TCustomComPort& port, runtime::TRegistryKey& key);

}  // namespace comport
