// The registry's list of COM ports.
#include "platform/serial_comm_ports.h"

#include <algorithm>

#include "platform/port_names.h"
#include "win32/registry_text.h"

namespace platform {

using win32_backend::RegistryText;
using win32_backend::Utf8;

std::vector<ComPortEntry> ReadComPorts(const std::string& key_path, bool local_machine) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(local_machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                      win32_backend::Wide(key_path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return {};
  }
  DWORD longest_name = 0;
  DWORD longest_data = 0;
  ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &longest_name, &longest_data, nullptr, nullptr);
  std::vector<ComPortEntry> ports;
  std::vector<wchar_t> name(longest_name + 1);
  std::vector<wchar_t> data(longest_data / sizeof(wchar_t) + 1);
  for (DWORD index = 0;; ++index) {
    DWORD name_length = static_cast<DWORD>(name.size());
    DWORD data_bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    DWORD type = 0;
    std::fill(data.begin(), data.end(), L'\0');
    const LSTATUS status = ::RegEnumValueW(key, index, name.data(), &name_length, nullptr, &type,
                                           reinterpret_cast<BYTE*>(data.data()), &data_bytes);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_SZ) continue;
    ComPortEntry port{RegistryText(data, data_bytes),
                      Utf8(std::wstring_view(name.data(), name_length))};
    if (!port.name.empty()) ports.push_back(std::move(port));
  }
  ::RegCloseKey(key);
  std::sort(ports.begin(), ports.end(), [](const ComPortEntry& a, const ComPortEntry& b) {
    const int an = ComPortNumber(a.name);
    const int bn = ComPortNumber(b.name);
    return an != bn ? an < bn : a.name < b.name;
  });
  return ports;
}

}  // namespace platform
