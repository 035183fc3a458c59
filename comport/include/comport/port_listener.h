// A listener linked to a port: eleven optional callbacks, each called with the
// port as sender. Unassigned callbacks are skipped.
#pragma once

#include <cstdint>
#include <functional>

#include "comport/com_types.h"

namespace comport {

struct TPortListener {
  using Signal = std::function<void(TCustomComPort& sender, bool on)>;
  using Bytes =
      std::function<void(TCustomComPort& sender, const std::uint8_t* buffer, std::int32_t count)>;
  using Notify = std::function<void(TCustomComPort& sender)>;

  Signal StateChanged;  // on after the port opened, off after it closed
  Bytes BytesReceived;  // bytes the port read itself on an RxChar event
  Bytes BytesSent;      // the data of a completed write
  Notify TxQueueEmpty;
  Notify FlagCharReceived;
  Signal CTSChanged;
  Signal DSRChanged;
  Signal RLSDChanged;
  Notify RingDetected;
  Signal TxActivity;  // on when a write starts, off when the output queue ran empty
  Signal RxActivity;  // on when bytes wait, off when a read left the input queue empty
};

}  // namespace comport
