// Who else has a device open, from the descriptor tables under /proc.
#pragma once

#include <sys/types.h>

namespace platform::linux_backend {

// Whether a descriptor of the character device `device` (st_rdev) is open in
// any process, this one included, other than this process's `own_fd`.
// Processes whose descriptor table cannot be read (another user's, for a
// caller that is not root) are passed over; without /proc the answer is yes.
bool OthersHoldDevice(dev_t device, int own_fd);

}  // namespace platform::linux_backend
