#include "polling/reply_hunt.h"

#include <algorithm>

#include "protocol/frames.h"

namespace polling {
namespace {

constexpr auto kExceptionLength = static_cast<std::size_t>(protocol::EXCEPTION_REPLY_LENGTH);

bool CrcOk(std::span<const std::uint8_t> frame) {
  if (frame.size() > protocol::FRAME_BUFFER_SIZE) return false;
  protocol::FrameBuffer buffer{};
  std::copy(frame.begin(), frame.end(), buffer.begin());
  return protocol::ReplyCrcOk(buffer, static_cast<std::int32_t>(frame.size()));
}

// The reply length a function byte announces for `reply`; none for another function.
std::optional<std::size_t> LengthFor(std::uint8_t function, const ExpectedReply& reply) {
  if (function == (reply.function | protocol::EXCEPTION_FLAG)) return kExceptionLength;
  if (function == reply.function) return reply.length;
  return std::nullopt;
}

}  // namespace

std::optional<FoundReply> FindReply(std::span<const std::uint8_t> bytes,
                                    std::span<const ExpectedReply> expected) {
  for (std::size_t start = 0; start + 1 < bytes.size(); ++start) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const ExpectedReply& reply = expected[i];
      if (start < reply.from || bytes[start] != reply.address) continue;
      const std::optional<std::size_t> length = LengthFor(bytes[start + 1], reply);
      if (!length || *length < 2 || start + *length > bytes.size()) continue;
      if (CrcOk(bytes.subspan(start, *length))) return FoundReply{start, *length, i};
    }
  }
  return std::nullopt;
}

std::optional<BegunReply> BegunReplyIn(std::span<const std::uint8_t> bytes,
                                       const ExpectedReply& reply) {
  for (std::size_t start = reply.from; start < bytes.size(); ++start) {
    if (bytes[start] != reply.address) continue;
    // Until its function byte has come, a reply is taken to be a normal one.
    const std::optional<std::size_t> length =
        start + 1 < bytes.size() ? LengthFor(bytes[start + 1], reply) : reply.length;
    if (length && start + *length > bytes.size()) {
      return BegunReply{start, start + *length - bytes.size()};
    }
  }
  return std::nullopt;
}

}  // namespace polling
