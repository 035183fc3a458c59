// Enumerations, sets and handler types of the serial port component.
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/enum_set.h"

namespace comport {

class TCustomComPort;

enum TBaudRate : std::uint8_t {
  brCustom,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
enum TStopBits : std::uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits : std::uint8_t { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits : std::uint8_t { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl : std::uint8_t { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl : std::uint8_t { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
// A preset derived from the flow-control fields; no device value of its own.
enum TFlowControl : std::uint8_t { fcHardware, fcSoftware, fcNone, fcCustom };
// How the event thread hands events to the handlers.
enum TSyncMethod : std::uint8_t { smThreadSync, smWindowSync, smNone };

enum TComEvent : std::uint8_t {
  evRxChar,
  evTxEmpty,
  evRxFlag,
  evRing,
  evBreak,
  evCTS,
  evDSR,
  evError,
  evRLSD,
  evRx80Full
};
using TComEvents = runtime::TSet<TComEvent, std::uint16_t>;
inline constexpr TComEvents kAllComEvents = TComEvents::FromBits(0x03FF);

enum TModemSignal : std::uint8_t { msCTS, msDSR, msRing, msRLSD };
using TModemSignals = runtime::TSet<TModemSignal, std::uint8_t>;

enum TComError : std::uint8_t {
  erFrame,
  erRxParity,
  erOverrun,
  erBreak,
  erIO,
  erMode,
  erRxOver,
  erTxFull
};
using TComErrors = runtime::TSet<TComError, std::uint8_t>;

// Setting groups that the settings storage writes and reads.
enum TStoredGroup : std::uint8_t {
  sgBasic,
  sgFlowControl,
  sgBuffer,
  sgTimeouts,
  sgParity,
  sgOthers
};
using TStoredGroups = runtime::TSet<TStoredGroup, std::uint8_t>;

// Handler types; the sender is always the port. Unassigned handlers are skipped.
using TNotifyEvent = std::function<void(TCustomComPort& sender)>;
using TRxCharEvent = std::function<void(TCustomComPort& sender, std::int32_t count)>;
using TRxBufEvent =
    std::function<void(TCustomComPort& sender, const std::uint8_t* buffer, std::int32_t count)>;
using TComErrorEvent = std::function<void(TCustomComPort& sender, TComErrors errors)>;
using TComSignalEvent = std::function<void(TCustomComPort& sender, bool on)>;

}  // namespace comport
