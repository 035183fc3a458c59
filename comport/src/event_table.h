// Each port event with its platform mask bit and its processing method, in
// the order in which the events of one wait are delivered.
#pragma once

#include <array>

#include "comport/com_port.h"

namespace comport::detail {

struct EventEntry {
  TComEvent event;
  platform::DWORD mask_bit;
  void (TCustomComPort::*process)();
};

inline constexpr std::array<EventEntry, 10> kEventTable{{
    {evError, platform::EV_ERR, &TCustomComPort::ProcessError},
    {evRxChar, platform::EV_RXCHAR, &TCustomComPort::ProcessRxChar},
    {evTxEmpty, platform::EV_TXEMPTY, &TCustomComPort::ProcessTxEmpty},
    {evBreak, platform::EV_BREAK, &TCustomComPort::ProcessBreak},
    {evRing, platform::EV_RING, &TCustomComPort::ProcessRing},
    {evCTS, platform::EV_CTS, &TCustomComPort::ProcessCTSChange},
    {evDSR, platform::EV_DSR, &TCustomComPort::ProcessDSRChange},
    {evRxFlag, platform::EV_RXFLAG, &TCustomComPort::ProcessRxFlag},
    {evRLSD, platform::EV_RLSD, &TCustomComPort::ProcessRLSDChange},
    {evRx80Full, platform::EV_RX80FULL, &TCustomComPort::ProcessRx80Full},
}};

}  // namespace comport::detail
