// The POSIX backend of the communications seam.
#pragma once

#include "platform/comm_api.h"

namespace platform {

// The process-wide POSIX backend (created on first use, never destroyed).
CommApi& PosixBackend();

}  // namespace platform
