// Exclusive use of a tty across programs: the kernel's exclusive flag, which
// root passes, checked against who else holds the device.
#pragma once

namespace platform::linux_backend {

// Claims the tty open on `fd` for this descriptor alone. EBUSY when its
// exclusive flag is set and another descriptor of the device is open in any
// process: the kernel lets root through, Windows lets nobody. A flag that is
// set while nobody else holds the device was left behind (a pseudo-terminal
// keeps it while its master end is open, after its holder was killed) and is
// taken over. On success the flag is set and clearing it at close is ours.
int ClaimExclusive(int fd);

}  // namespace platform::linux_backend
