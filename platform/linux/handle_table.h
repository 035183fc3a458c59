// The process's handle table: small integers naming devices and events.
// Values are never reused, so a stale handle fails with "invalid handle"
// instead of reaching a newer object. 0 and -1 are never handed out. Any thread.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>
#include <variant>

#include "linux/comm_device.h"
#include "linux/win_event.h"
#include "platform/comm_api.h"

namespace platform::linux_backend {

class HandleTable {
 public:
  using Object = std::variant<std::shared_ptr<CommDevice>, std::shared_ptr<WinEvent>>;

  HANDLE Add(Object object);
  // The object of `handle` if it is of that kind, else null.
  std::shared_ptr<CommDevice> Device(HANDLE handle) const;
  std::shared_ptr<WinEvent> Event(HANDLE handle) const;
  // Removes `handle`; false when it names nothing.
  bool Remove(HANDLE handle);

 private:
  mutable std::mutex mutex_;
  std::unordered_map<HANDLE, Object> objects_;
  HANDLE next_ = 0x100;
};

}  // namespace platform::linux_backend
