// The device manager's names of the ports present, from SetupAPI's class Ports. A file of its
// own, so that only a program that shows them imports setupapi.dll.
#include <string_view>
#include <vector>

#include "platform/serial_comm_ports.h"
#include "win32/registry_text.h"
// initguid.h first, so that devguid.h defines the class's GUID rather than only declaring it.
// clang-format off
#include <initguid.h>
#include <devguid.h>
// clang-format on
#include <setupapi.h>

namespace platform {
namespace {

using win32_backend::RegistryText;

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
  if (!::SetupDiGetDeviceRegistryPropertyW(
          devices, &device, SPDRP_FRIENDLYNAME, nullptr, reinterpret_cast<BYTE*>(data.data()),
          static_cast<DWORD>(data.size() * sizeof(wchar_t)), &bytes)) {
    return {};
  }
  return RegistryText(data, bytes);
}

}  // namespace

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
