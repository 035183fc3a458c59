// Process-wide exchange variables and the frame CRC.
//
// Thread rule: the window thread writes the request (TX_BUF bytes 0..TX_LEN-1, TX_LEN, RX_LEN)
// only while the exchange worker is parked; the worker writes RX_BUF, RX_TEXT, DEV_ADDR,
// DEV_FUNC and the CRC bytes of TX_BUF only between being woken and parking. RX_STATE is
// the one variable both threads write: the worker stores 1 or 2 last, with release ordering, and
// the window thread loads it with acquire ordering before it reads the reply.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "protocol/crc16.h"
#include "protocol/frame_buffer.h"

namespace EMUL_Functions {

// The frame buffer and CRC16 are the protocol core's; the unit names them as its own.
using protocol::CRC16;
using protocol::FRAME_BUFFER_SIZE;
using protocol::FrameBuffer;

// Outcome values of RX_STATE.
inline constexpr std::int32_t RX_NONE = 0;
inline constexpr std::int32_t RX_REJECTED = 1;
inline constexpr std::int32_t RX_ACCEPTED = 2;

extern FrameBuffer TX_BUF;                  // request: TX_LEN bytes, then the two CRC bytes
extern FrameBuffer RX_BUF;                  // the reply taken by reply matching
extern std::int32_t TX_LEN;                 // request bytes before the CRC (6)
extern std::int32_t RX_LEN;                 // reply bytes to read (31)
extern std::int32_t DEV_ADDR;               // copy of TX_BUF[0], the address a reply must carry
extern std::int32_t DEV_FUNC;               // copy of TX_BUF[1], the function a reply must carry
extern std::atomic<std::int32_t> RX_STATE;  // RX_NONE, RX_REJECTED or RX_ACCEPTED
extern std::string RX_TEXT;                 // accepted reply as decimal text, empty otherwise

// Waits until more than `ms` (at least 2) milliseconds have passed on the 32-bit wrapping tick
// counter, letting the window toolkit process pending events on every turn, at least once.
// Window thread only; event handlers may run inside it.
void DELAY_MS(std::int32_t ms);

// The millisecond tick counter DELAY_MS reads (wraps at 2^32). An empty function restores the
// default: GetTickCount on Windows, elsewhere the monotonic clock in milliseconds, cut to 32
// bits. Set before use, window thread.
using TickSource = std::function<std::uint32_t()>;
void SetTickSource(TickSource source);

// What DELAY_MS calls to let the toolkit process pending events. An empty function restores
// the default, which only sleeps about a millisecond (Sleep(1) on Windows) so that the wait does
// not spin a core.
using MessagePump = std::function<void()>;
void SetMessagePump(MessagePump pump);

}  // namespace EMUL_Functions
