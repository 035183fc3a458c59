// The port's events and the platform's comm event mask, both ways over one
// table (event_table.h), and the message that carries one event to the event
// receiver under smWindowSync.
#pragma once

#include "comport/com_types.h"
#include "platform/comm_api.h"
#include "runtime/event_receiver.h"

namespace comport {

// wParam: the event's mask bit.
inline constexpr std::uint32_t kEventMessage = runtime::WM_USER + 1;

// The mask for SetCommMask.
platform::DWORD EventsToMask(TComEvents events);
// The events of a mask that WaitCommEvent returned; bits of no event
// (EV_PERR and the rest) are ignored.
TComEvents MaskToEvents(platform::DWORD mask);

}  // namespace comport
