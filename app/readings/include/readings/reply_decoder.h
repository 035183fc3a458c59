#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/frame_buffer.h"

namespace readings {

// What the instrument reported, kept between replies: a field that the current reply's variant
// and fault code do not decode keeps the value of an earlier reply. All zero before the first.
struct DecodedFields {
  float LEVEL_1 = 0.0f;
  float VOLUME_1 = 0.0f;
  float LEVEL_2 = 0.0f;
  float VOLUME_2 = 0.0f;
  std::uint8_t DEVICE_VARIANT = 0;
  std::uint8_t SENSOR_FAULT = 0;
  std::string RELAY_TEXT;
  std::uint8_t ALARM_DELAY = 0;
  float SELFCAL_LEVEL = 0.0f;
};

// Decodes an accepted reply, as the exchange left it in `rx` (RX_BUF), into `fields` and returns
// the lines the memo holds afterwards: the memo is cleared and gets exactly these lines (none for
// variant 0). An exception reply (function code other than 4) decodes nothing and returns nullopt:
// the memo is left as it is.
std::optional<std::vector<std::string>> DecodeReply(const protocol::FrameBuffer& rx,
                                                    DecodedFields& fields,
                                                    std::string_view separator);

// The status bar text for an accepted reply, given its bytes as decimal text ("1 4 26 ...").
std::string ReceivedStatusText(std::string_view rx_text);

}  // namespace readings
