#include "linux/linux_comm_api.h"
#include "native_backend.h"

namespace platform {

CommApi& NativeBackend() { return LinuxBackend(); }

}  // namespace platform
