#include "reader/poll_record.h"

namespace reader {
namespace {

constexpr std::size_t kFaultOffset = 4;
constexpr std::size_t kStatusOffset = 22;

struct Channels {
  bool first;
  bool second;
};

// Which channel values the decoder reads for a variant and fault code: variant
// 1 knows all four fault codes, variants 2 and 3 show channel 1 only and only
// without a fault.
Channels DecodedChannels(std::uint8_t variant, std::uint8_t fault) {
  if (variant == 1) return {fault == 0 || fault == 2, fault == 0 || fault == 1};
  if (variant == 2 || variant == 3) return {fault == 0, false};
  return {false, false};
}

}  // namespace

std::string_view OutcomeName(PollOutcome outcome) {
  switch (outcome) {
    case PollOutcome::kAccepted:
      return "accepted";
    case PollOutcome::kException:
      return "exception";
    case PollOutcome::kUnanswered:
      return "unanswered";
    case PollOutcome::kPortError:
      return "port_error";
  }
  return "unanswered";
}

ReplyReadings ReadingsOfReply(const EMUL_Functions::FrameBuffer& rx,
                              const readings::DecodedFields& fields) {
  ReplyReadings readings;
  readings.variant = fields.DEVICE_VARIANT;
  readings.fault = rx[kFaultOffset];
  readings.selfcal = fields.SELFCAL_LEVEL;
  readings.alarm_delay = fields.ALARM_DELAY;
  const Channels channels = DecodedChannels(readings.variant, readings.fault);
  if (channels.first) {
    readings.level1 = fields.LEVEL_1;
    readings.volume1 = fields.VOLUME_1;
  }
  if (channels.second) {
    readings.level2 = fields.LEVEL_2;
    readings.volume2 = fields.VOLUME_2;
  }
  if (readings.variant != 0) {
    std::array<bool, 4> relays{};
    for (std::size_t bit = 0; bit < relays.size(); ++bit) {
      relays[bit] = ((rx[kStatusOffset] >> bit) & 1U) != 0;
    }
    readings.relays = relays;
  }
  return readings;
}

}  // namespace reader
