// Calls straight to kernel32, past the seam, for tests that compare the seam's answer with the
// system's own. Kept apart so that the tests' files need not include <windows.h>, whose macros
// would rewrite the seam's constants.
#pragma once

#include "platform/comm_api.h"

namespace vlk_native {

// ::GetCommModemStatus on the seam's handle; on failure `error` is ::GetLastError().
bool GetCommModemStatus(platform::HANDLE device, platform::DWORD* status, platform::DWORD* error);

}  // namespace vlk_native
