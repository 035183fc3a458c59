#include "native_comm.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace vlk_native {

bool GetCommModemStatus(platform::HANDLE device, platform::DWORD* status, platform::DWORD* error) {
  ::DWORD lines = 0;
  const bool ok = ::GetCommModemStatus(reinterpret_cast<::HANDLE>(device), &lines) != FALSE;
  *status = lines;
  *error = ok ? 0 : ::GetLastError();
  return ok;
}

}  // namespace vlk_native
