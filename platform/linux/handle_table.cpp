#include "linux/handle_table.h"

namespace platform::linux_backend {
namespace {

template <typename T>
std::shared_ptr<T> Find(const std::unordered_map<HANDLE, HandleTable::Object>& objects,
                        HANDLE handle) {
  const auto it = objects.find(handle);
  if (it == objects.end()) return nullptr;
  const auto* object = std::get_if<std::shared_ptr<T>>(&it->second);
  return object != nullptr ? *object : nullptr;
}

}  // namespace

HANDLE HandleTable::Add(Object object) {
  std::lock_guard lock(mutex_);
  const HANDLE handle = next_++;
  objects_.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<CommDevice> HandleTable::Device(HANDLE handle) const {
  std::lock_guard lock(mutex_);
  return Find<CommDevice>(objects_, handle);
}

std::shared_ptr<WinEvent> HandleTable::Event(HANDLE handle) const {
  std::lock_guard lock(mutex_);
  return Find<WinEvent>(objects_, handle);
}

bool HandleTable::Remove(HANDLE handle) {
  decltype(objects_)::node_type removed;  // destroyed after the lock is released
  {
    std::lock_guard lock(mutex_);
    removed = objects_.extract(handle);
  }
  return !removed.empty();
}

}  // namespace platform::linux_backend
