// Placeholder until the POSIX backend lands.
#include "posix/posix_comm_api.h"

#include <cstdlib>

namespace platform {

CommApi& PosixBackend() { std::abort(); }

}  // namespace platform
