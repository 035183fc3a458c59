#include "native_backend.h"
#include "posix/posix_comm_api.h"

namespace platform {

CommApi& NativeBackend() { return PosixBackend(); }

}  // namespace platform
