#include "reader/hex_frame.h"

#include "argument_text.h"
#include "exchange/EMUL_Functions.h"

namespace reader {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The offending character in quotes when it prints as itself (not a byte of a
// UTF-8 sequence).
std::string Shown(char c) {
  return (c > ' ' && c < 0x7F) ? std::string(" ('") + c + "')" : std::string();
}

HexFrame Failure(std::string message) { return {{}, std::move(message)}; }

}  // namespace

HexFrame ParseHexFrame(std::string_view text) {
  HexFrame frame;
  std::size_t at = 0;
  while (at < text.size()) {
    if (IsBlank(text[at])) {
      ++at;
      continue;
    }
    const std::size_t start = at;
    while (at < text.size() && !IsBlank(text[at])) {
      if (HexValue(text[at]) < 0) {
        return Failure("character " + std::to_string(at + 1) + Shown(text[at]) +
                       " is not a hexadecimal digit");
      }
      ++at;
    }
    const std::string_view group = text.substr(start, at - start);
    if (group.size() % 2 != 0) {
      return Failure("odd number of hexadecimal digits in " + QuotedArgument(group));
    }
    for (std::size_t i = 0; i < group.size(); i += 2) {
      frame.bytes.push_back(
          static_cast<std::uint8_t>(HexValue(group[i]) * 16 + HexValue(group[i + 1])));
    }
  }
  if (frame.bytes.empty()) return Failure("the frame is empty");
  if (frame.bytes.size() > EMUL_Functions::FRAME_BUFFER_SIZE) {
    return Failure("the frame has " + std::to_string(frame.bytes.size()) + " bytes, at most " +
                   std::to_string(EMUL_Functions::FRAME_BUFFER_SIZE) + " fit the receive buffer");
  }
  return frame;
}

}  // namespace reader
