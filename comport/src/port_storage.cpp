#include "comport/port_storage.h"

#include <string>

#include "runtime/int_text.h"
#include "stored_settings.h"

namespace comport {

void SaveToIniFile(TCustomComPort& port, runtime::TCustomIniFile& ini_file) {
  const std::string section = port.Name();
  ForEachStoredSetting(port, [&](const StoredSetting& setting) {
    const std::string value = setting.get(port);
    if (setting.form == ValueForm::kText) {
      ini_file.WriteString(section, setting.name, value);
    } else {
      ini_file.WriteInteger(section, setting.name, runtime::StrToInt(value));
    }
  });
}

void LoadFromIniFile(TCustomComPort& port, runtime::TCustomIniFile& ini_file) {
  const std::string section = port.Name();
  ForEachStoredSetting(port, [&](const StoredSetting& setting) {
    const std::string fallback = setting.fixed_default ? setting.fixed_default : setting.get(port);
    if (setting.form == ValueForm::kText) {
      setting.set(port, ini_file.ReadString(section, setting.name, fallback));
    } else {
      setting.set(port, std::to_string(ini_file.ReadInteger(section, setting.name,
                                                            runtime::StrToInt(fallback))));
    }
  });
}

void SaveToRegistry(TCustomComPort& port, runtime::TRegistryKey& key) {
  ForEachStoredSetting(port, [&](const StoredSetting& setting) {
    const std::string value = setting.get(port);
    if (setting.form == ValueForm::kText) {
      key.WriteString(setting.name, value);
    } else {
      key.WriteInteger(setting.name, runtime::StrToInt(value));
    }
  });
}

void LoadFromRegistry(TCustomComPort& port, runtime::TRegistryKey& key) {
  ForEachStoredSetting(port, [&](const StoredSetting& setting) {
    if (setting.form == ValueForm::kText) {
      setting.set(port, key.ReadString(setting.name));
    } else {
      setting.set(port, std::to_string(key.ReadInteger(setting.name)));
    }
  });
}

void TCustomComPort::SaveToIniFile(runtime::TCustomIniFile& ini_file) {
  comport::SaveToIniFile(*this, ini_file);
}

void TCustomComPort::LoadFromIniFile(runtime::TCustomIniFile& ini_file) {
  comport::LoadFromIniFile(*this, ini_file);
}

void TCustomComPort::SaveToRegistry(runtime::TRegistryKey& key) {
  comport::SaveToRegistry(*this, key);
}

void TCustomComPort::LoadFromRegistry(runtime::TRegistryKey& key) {
  comport::LoadFromRegistry(*this, key);
}

}  // namespace comport
