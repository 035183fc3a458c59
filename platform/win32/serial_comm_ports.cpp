// The registry's list of COM ports and the device manager's names for them.
#include "platform/serial_comm_ports.h"

#include <algorithm>

#include "platform/port_names.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// clang-format off: initguid.h must come first, so that devguid.h defines the class's GUID.
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

namespace platform {
namespace {

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                        size, nullptr, nullptr);
  return utf8;
}

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        size);
  return wide;
}

// The registry's texts may lack their closing zero; they end at the first one.
std::string RegistryText(const std::vector<wchar_t>& buffer, DWORD bytes) {
  std::wstring_view text(buffer.data(), bytes / sizeof(wchar_t));
  return Utf8(text.substr(0, text.find(L'\0')));
}

// The port name a device of the class Ports keeps in its own key ("COM7"); empty when none.
std::string DevicePortName(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  HKEY key = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  std::vector<wchar_t> data(64);
  DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  DWORD type = 0;
  const LSTATUS status = ::RegQueryValueExW(key, L"PortName", nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &bytes);
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return {};
  return RegistryText(data, bytes);
}

std::string DeviceFriendlyName(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  std::vector<wchar_t> data(256);
  DWORD bytes = 0;
  if (!::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                           reinterpret_cast<BYTE*>(data.data()),
                                           static_cast<DWORD>(data.size() * sizeof(wchar_t)),
                                           &bytes)) {
    return {};
  }
  return RegistryText(data, bytes);
}

}  // namespace

std::vector<ComPortEntry> ReadComPorts(const std::string& key_path, bool local_machine) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(local_machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                      Wide(key_path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
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

std::map<std::string, std::string> PortFriendlyNames() {
  std::map<std::string, std::string> names;
  HDEVINFO devices = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return names;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const std::string port = DevicePortName(devices, device);
    std::string friendly = DeviceFriendlyName(devices, device);
    if (port.empty() || friendly.empty()) continue;
    // The system appends the port to the name; the menu puts the port first instead.
    const std::string suffix = " (" + port + ")";
    if (friendly.size() > suffix.size() &&
        friendly.compare(friendly.size() - suffix.size(), suffix.size(), suffix) == 0) {
      friendly.resize(friendly.size() - suffix.size());
    }
    names.emplace(port, std::move(friendly));
  }
  ::SetupDiDestroyDeviceInfoList(devices);
  return names;
}

}  // namespace platform
