#include "reader/decode_mode.h"

#include <algorithm>

#include "exchange/EMUL_Functions.h"
#include "instrument/register_map.h"
#include "protocol/frames.h"
#include "readings/reply_decoder.h"

namespace reader {

int RunDecode(std::span<const std::uint8_t> frame, std::string_view separator, std::ostream& out,
              std::ostream& err) {
  EMUL_Functions::FrameBuffer scratch{};
  std::copy_n(frame.begin(), std::min(frame.size(), scratch.size()), scratch.begin());
  const std::int32_t dev_addr = scratch[0];
  const std::int32_t dev_func = scratch[1] & ~protocol::EXCEPTION_FLAG;

  EMUL_Functions::FrameBuffer rx{};
  const std::int32_t accepted = protocol::MatchReply(
      scratch, rx, dev_addr, dev_func, static_cast<std::int32_t>(instrument::reply::kLength));
  // A matched frame always carries a non-zero function code; zero means nothing
  // was copied.
  if (rx[1] == 0) {
    err << "vlk240-read: reply rejected: no reply to address " << dev_addr << ", function "
        << dev_func << " starts within its first five bytes\n";
    return 1;
  }
  if (!protocol::ReplyCrcOk(rx, accepted)) {
    err << "vlk240-read: reply rejected: CRC check failed over the " << accepted
        << " bytes the exchange takes (bytes missing from the frame count as "
           "zero)\n";
    return 1;
  }

  out << readings::ReceivedStatusText(
             protocol::FrameText(rx.data(), static_cast<std::size_t>(accepted)))
      << '\n';
  readings::DecodedFields fields;
  if (const auto lines = readings::DecodeReply(rx, fields, separator)) {
    for (const std::string& line : *lines) out << line << '\n';
  }
  return 0;
}

}  // namespace reader
