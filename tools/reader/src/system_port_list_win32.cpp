#include <algorithm>

#include "platform/port_names.h"
#include "reader/system_port_list.h"
#include "reader/windows_port_list.h"
#include "runtime/win32_text.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace reader {
namespace {

constexpr int kListedComPorts = 4;  // the window's port menu: COM1..COM4

// The registry's texts may lack their closing zero; they end at the first one.
std::string RegistryText(const std::vector<wchar_t>& buffer, DWORD bytes) {
  std::wstring_view text(buffer.data(), bytes / sizeof(wchar_t));
  return runtime::Utf8FromWide(text.substr(0, text.find(L'\0')));
}

}  // namespace

std::vector<ComPortEntry> ReadComPorts(const std::string& key_path, bool local_machine) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(local_machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                      runtime::WideFromUtf8(key_path).c_str(), 0, KEY_READ,
                      &key) != ERROR_SUCCESS) {
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
                      runtime::Utf8FromWide(std::wstring_view(name.data(), name_length))};
    if (!port.name.empty()) ports.push_back(std::move(port));
  }
  ::RegCloseKey(key);
  std::sort(ports.begin(), ports.end(), [](const ComPortEntry& a, const ComPortEntry& b) {
    const int an = platform::ComPortNumber(a.name);
    const int bn = platform::ComPortNumber(b.name);
    return an != bn ? an < bn : a.name < b.name;
  });
  return ports;
}

void PrintComPorts(const std::vector<ComPortEntry>& ports, std::ostream& out) {
  if (ports.empty()) {
    out << "No COM ports found.\n";
    return;
  }
  for (const ComPortEntry& port : ports) {
    std::string line = port.name + "  " + port.device;
    const std::string path = platform::ResolvePortName(port.name);
    std::string mapped;
    for (int n = 1; n <= kListedComPorts; ++n) {
      const std::string menu = "COM" + std::to_string(n);
      if (menu != port.name && platform::ResolvePortName(menu) == path) mapped += " " + menu;
    }
    if (!mapped.empty()) line += "  =" + mapped;
    out << line << '\n';
  }
}

int ListSystemPorts(std::ostream& out) {
  PrintComPorts(ReadComPorts(kSerialCommKey), out);
  return 0;
}

}  // namespace reader
