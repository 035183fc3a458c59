// The backend of the build's own operating system, which Comm() serves unless a test installed
// another. Each system's directory defines it: linux/ over termios and Linux's ioctls, win32/
// over kernel32.
#pragma once

#include "platform/comm_api.h"

namespace platform {

CommApi& NativeBackend();

}  // namespace platform
