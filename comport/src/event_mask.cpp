#include "comport/event_mask.h"

#include "event_table.h"

namespace comport {

platform::DWORD EventsToMask(TComEvents events) {
  platform::DWORD mask = 0;
  for (const detail::EventEntry& entry : detail::kEventTable) {
    if (events.Contains(entry.event)) mask |= entry.mask_bit;
  }
  return mask;
}

TComEvents MaskToEvents(platform::DWORD mask) {
  TComEvents events;
  for (const detail::EventEntry& entry : detail::kEventTable) {
    if ((mask & entry.mask_bit) != 0) events.Include(entry.event);
  }
  return events;
}

}  // namespace comport
