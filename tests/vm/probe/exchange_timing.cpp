#include <cstdint>
#include <iostream>

#include "comport/com_port.h"
#include "exchange/instrument_port.h"
#include "instrument/read_request.h"
#include "probe.h"
#include "protocol/frames.h"

namespace vm_probe {

int RunExchange(const std::string& device, int address) {
  comport::TComPort port;
  exchange::AssignInstrumentLineSettings(port);
  port.SetPort(device);
  port.SetConnected(true);

  protocol::FrameBuffer request{};
  const protocol::ReadRequest lengths =
      instrument::FillReadRequest(request, static_cast<std::uint8_t>(address));
  protocol::AppendCrc(request, lengths.tx_len);
  protocol::FrameBuffer reply{};

  const Clock::time_point start = Clock::now();
  const std::int32_t sent = port.SendBytes(request.data(), lengths.tx_len + 2);
  const Clock::time_point written = Clock::now();
  const std::int32_t received = port.ReceiveBytes(reply.data(), lengths.rx_len);
  const Clock::time_point end = Clock::now();

  std::cout << "sent=" << sent << " send_ms=" << Milliseconds(written - start)
            << " received=" << received << " receive_ms=" << Milliseconds(end - written)
            << " total_ms=" << Milliseconds(end - start) << std::endl;
  return 0;
}

}  // namespace vm_probe
