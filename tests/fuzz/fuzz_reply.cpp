// Received bytes from the line: reply matching, the CRC check and the decoder
// on arbitrary input. Layout of the input: DEV_ADDR, DEV_FUNC, rx_len, then the
// received bytes (at most 270). Out-of-buffer access is caught by the sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "protocol/frame_buffer.h"
#include "protocol/frames.h"
#include "readings/reply_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::int32_t dev_addr = data[0];
  const std::int32_t dev_func = data[1];
  const std::int32_t rx_len = data[2];
  protocol::FrameBuffer scratch{};
  const std::size_t received = std::min(size - 3, scratch.size());
  std::memcpy(scratch.data(), data + 3, received);

  protocol::FrameBuffer rx{};
  const std::int32_t n = protocol::MatchReply(scratch, rx, dev_addr, dev_func, rx_len);
  const bool copied = std::any_of(rx.begin(), rx.end(), [](std::uint8_t b) { return b != 0; });
  // Whatever was copied starts with the address the request went to.
  if (copied && rx[0] != dev_addr) std::abort();
  if (!protocol::ReplyCrcOk(rx, n)) return 0;  // a rejected frame decodes nothing

  readings::DecodedFields fields;
  const auto lines = readings::DecodeReply(rx, fields, ",");
  // Only a normal reply to function 4 fills the memo.
  if (lines.has_value() != (rx[1] == 4)) std::abort();
  (void)protocol::FrameText(rx.data(), static_cast<std::size_t>(std::clamp(n, 0, 270)));
  return 0;
}
