#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/readings.h"
#include "protocol/frame_buffer.h"

namespace readings {

// What the memo keeps between replies: the instrument's values and the relay line, rebuilt for
// every reply of variant 1, 2 or 3.
struct DecodedFields : instrument::DecodedFields {
  std::string RELAY_TEXT;
};

// Decodes an accepted reply, as the exchange left it in `rx` (RX_BUF), into `fields` and returns
// the lines the memo holds afterwards: the memo is cleared and gets exactly these lines (none for
// variant 0). An exception reply (function code other than 4) decodes nothing and returns nullopt:
// the memo is left as it is.
std::optional<std::vector<std::string>> DecodeReply(const protocol::FrameBuffer& rx,
                                                    DecodedFields& fields,
                                                    std::string_view separator);

// The memo's lines for one reply's readings: none for variant 0.
std::vector<std::string> MemoLines(const instrument::Readings& readings,
                                   std::string_view separator);

// The status bar text for an accepted reply, given its bytes as decimal text ("1 4 26 ...").
std::string ReceivedStatusText(std::string_view rx_text);

}  // namespace readings
