#include <utility>

#include "exchange/EMUL_Functions.h"
#include "system_ticks.h"

namespace EMUL_Functions {

namespace {

// Both hooks are used and replaced on the window thread only.
TickSource g_tick_source = SystemTicks;
MessagePump g_message_pump = SleepBriefly;

}  // namespace

void SetTickSource(TickSource source) {
  g_tick_source = source ? std::move(source) : TickSource(SystemTicks);
}

void SetMessagePump(MessagePump pump) {
  g_message_pump = pump ? std::move(pump) : MessagePump(SleepBriefly);
}

void DELAY_MS(std::int32_t ms) {
  const auto wait = static_cast<std::uint32_t>(ms < 2 ? 2 : ms);
  const std::uint32_t start = g_tick_source();
  do {
    g_message_pump();
    // Unsigned difference: correct across the counter's wrap.
  } while (static_cast<std::uint32_t>(g_tick_source() - start) <= wait);
}

}  // namespace EMUL_Functions
