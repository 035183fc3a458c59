#include "protocol/frames.h"

#include <algorithm>

#include "protocol/crc16.h"

namespace protocol {

namespace {

constexpr std::int32_t kBufferSize = static_cast<std::int32_t>(FRAME_BUFFER_SIZE);
constexpr std::int32_t kLastStart = 4;  // replies are looked for at positions 0..4
constexpr std::int32_t kWriteReplyLength = 8;

// Copies `count` bytes from scratch[start] to rx[0], cut so that neither buffer is left.
void CopyFrom(const FrameBuffer& scratch, std::int32_t start, std::int32_t count, FrameBuffer& rx) {
  const std::int32_t n = std::clamp(count, 0, kBufferSize - start);
  std::copy_n(scratch.begin() + start, n, rx.begin());
}

// Bytes taken for a normal reply of `func`, or -1 when the function is not recognised.
std::int32_t NormalCopyLength(std::int32_t func, std::int32_t rx_len) {
  if (func == FUNC_READ_INPUT_REGISTERS) return rx_len;
  if (func == FUNC_WRITE_MULTIPLE_REGISTERS) return kWriteReplyLength;
  return -1;
}

}  // namespace

ReadRequest FillReadInputRegisters(FrameBuffer& tx, std::uint8_t address,
                                   std::uint16_t first_register, std::uint16_t register_count) {
  tx[0] = address;
  tx[1] = FUNC_READ_INPUT_REGISTERS;
  tx[2] = static_cast<std::uint8_t>(first_register >> 8);  // high byte first
  tx[3] = static_cast<std::uint8_t>(first_register);
  tx[4] = static_cast<std::uint8_t>(register_count >> 8);
  tx[5] = static_cast<std::uint8_t>(register_count);
  // address, function, byte count, the registers and two CRC bytes
  return ReadRequest{6, 2 * std::int32_t{register_count} + 5};
}

void AppendCrc(FrameBuffer& tx, std::int32_t tx_len) {
  if (tx_len < 0 || tx_len > kBufferSize - 2) return;
  const std::uint16_t crc = CRC16(static_cast<std::uint8_t>(tx_len), tx);
  tx[tx_len] = static_cast<std::uint8_t>(crc & 0xFF);
  tx[tx_len + 1] = static_cast<std::uint8_t>(crc >> 8);
}

std::int32_t MatchReply(const FrameBuffer& scratch, FrameBuffer& rx, std::int32_t dev_addr,
                        std::int32_t dev_func, std::int32_t rx_len) {
  const std::int32_t normal_length = NormalCopyLength(dev_func, rx_len);
  if (normal_length < 0) return rx_len;
  const std::int32_t exception_code = dev_func | EXCEPTION_FLAG;
  for (std::int32_t p = 0; p <= kLastStart; ++p) {
    if (scratch[p] != dev_addr) continue;
    if (scratch[p + 1] == exception_code) {
      CopyFrom(scratch, p, EXCEPTION_REPLY_LENGTH, rx);
      return EXCEPTION_REPLY_LENGTH;
    }
    if (scratch[p + 1] == dev_func) {
      CopyFrom(scratch, p, normal_length, rx);
      return rx_len;
    }
  }
  return rx_len;
}

bool ReplyCrcOk(const FrameBuffer& rx, std::int32_t n) {
  if (n < 2 || n > kBufferSize) return false;
  const std::uint16_t crc = CRC16(static_cast<std::uint8_t>(n - 2), rx);
  return rx[n - 2] == (crc & 0xFF) && rx[n - 1] == (crc >> 8);
}

std::string SentFrameText(const FrameBuffer& tx, std::int32_t tx_len) {
  FrameBuffer frame = tx;
  AppendCrc(frame, tx_len);
  const std::int64_t count = std::clamp<std::int64_t>(std::int64_t{tx_len} + 2, 0, kBufferSize);
  return std::string(SENT_PREFIX) + FrameText(frame.data(), static_cast<std::size_t>(count));
}

std::string FrameText(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  text.reserve(count * 4);
  for (std::size_t i = 0; i < count; ++i) {
    text += std::to_string(bytes[i]);
    text += ' ';
  }
  return text;
}

}  // namespace protocol
