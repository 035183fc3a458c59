// Walking the listener list for one notification.
#pragma once

#include "comport/com_port.h"

namespace comport {

// First to last over the count taken before the walk; a listener removed by a
// callback shortens the walk instead of leaving it past the end.
template <typename Callback, typename... Args>
void TCustomComPort::NotifyListeners(Callback TPortListener::*callback, Args... args) {
  const std::size_t count = listeners_.size();
  for (std::size_t i = 0; i < count && i < listeners_.size(); ++i) {
    const Callback& function = listeners_[i]->*callback;
    if (function) function(*this, args...);
  }
}

}  // namespace comport
