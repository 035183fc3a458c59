#include "instrument/read_request.h"

#include "instrument/register_map.h"

namespace instrument {

protocol::ReadRequest FillReadRequest(protocol::FrameBuffer& tx, std::uint8_t address) {
  return protocol::FillReadInputRegisters(tx, address, kFirstRegister, kRegisterCount);
}

}  // namespace instrument
