// The Linux backend of the communications seam.
#pragma once

#include "platform/comm_api.h"

namespace platform {

// The process-wide Linux backend (created on first use, never destroyed).
CommApi& LinuxBackend();

}  // namespace platform
