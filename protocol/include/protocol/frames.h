// Modbus RTU frames of the exchange: the read request, reply matching and the reply CRC check.
// Pure functions over frame buffers; they touch no process-wide variable, so the exchange
// worker and offline tools (decoding a captured reply) share them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/frame_buffer.h"

namespace protocol {

// Prefixes of the frame texts shown to the operator (three blanks after the colon).
inline constexpr std::string_view SENT_PREFIX = "Послано:   ";
inline constexpr std::string_view RECEIVED_PREFIX = "Принято:   ";

inline constexpr std::uint8_t FUNC_READ_INPUT_REGISTERS = 4;
inline constexpr std::uint8_t FUNC_WRITE_MULTIPLE_REGISTERS = 16;
inline constexpr std::uint8_t EXCEPTION_FLAG = 0x80;
inline constexpr std::int32_t EXCEPTION_REPLY_LENGTH = 5;

struct ReadRequest {
  std::int32_t tx_len;  // request bytes before the CRC
  std::int32_t rx_len;  // reply bytes to read
};

// Stores the request "read `register_count` input registers from `first_register`" for
// `address` in tx[0..5].
ReadRequest FillReadInputRegisters(FrameBuffer& tx, std::uint8_t address,
                                   std::uint16_t first_register, std::uint16_t register_count);

// Writes the CRC of tx[0..tx_len-1] into tx[tx_len] (low byte) and tx[tx_len+1] (high byte).
// The CRC count is tx_len cut to 8 bits; tx_len outside 0..268 writes nothing.
void AppendCrc(FrameBuffer& tx, std::int32_t tx_len);

// Finds the reply's start among positions 0..4 of `scratch` and copies it into `rx`: the
// exception reply (5 bytes) is tested before the normal reply at each position, the first
// position that matches wins. Returns the accepted length: 5 for an exception reply, rx_len
// otherwise (also when nothing matched and nothing was copied). Copies never leave the
// buffers, whatever rx_len is.
std::int32_t MatchReply(const FrameBuffer& scratch, FrameBuffer& rx, std::int32_t dev_addr,
                        std::int32_t dev_func, std::int32_t rx_len);

// True when rx[n-2], rx[n-1] hold the CRC of rx[0..n-3] (count cut to 8 bits), low byte
// first. A length that does not fit the buffer (n < 2 or n > 270) is rejected.
bool ReplyCrcOk(const FrameBuffer& rx, std::int32_t n);

// SENT_PREFIX and the tx_len request bytes of `tx` with their CRC, as the exchange sends them
// ("Послано:   1 4 0 0 0 13 49 207 "). `tx` itself is left unchanged.
std::string SentFrameText(const FrameBuffer& tx, std::int32_t tx_len);

// Each byte in decimal followed by one blank: {1, 4, 26} gives "1 4 26 ".
std::string FrameText(const std::uint8_t* bytes, std::size_t count);

}  // namespace protocol
