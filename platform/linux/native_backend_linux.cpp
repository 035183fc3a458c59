#include "native_backend.h"
#include "linux/linux_comm_api.h"

namespace platform {

CommApi& NativeBackend() { return LinuxBackend(); }

}  // namespace platform
