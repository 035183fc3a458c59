// Where the instrument keeps what it reports: 13 input registers from register 0, read whole by
// one request. The offsets are those of the reply frame in the receive buffer, address first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace instrument {

inline constexpr std::uint16_t kFirstRegister = 0;
inline constexpr std::uint16_t kRegisterCount = 13;

namespace reply {

inline constexpr std::size_t kFunctionCode = 1;
inline constexpr std::size_t kSensorFault = 4;       // register 0, low byte
inline constexpr std::size_t kLevel1 = 5;            // registers 1 and 2
inline constexpr std::size_t kVolume1 = 9;           // registers 3 and 4
inline constexpr std::size_t kLevel2 = 13;           // registers 5 and 6
inline constexpr std::size_t kVolume2 = 17;          // registers 7 and 8
inline constexpr std::size_t kStatus = 22;           // register 9, low byte
inline constexpr std::size_t kAlarmDelay = 24;       // register 10, low byte
inline constexpr std::size_t kSelfCalibration = 25;  // registers 11 and 12
// Address, function, byte count, the registers and the CRC.
inline constexpr std::size_t kLength = 3 + 2 * kRegisterCount + 2;

}  // namespace reply

// The status byte: the relays in bits 0 to 3 (relay 1 lowest), the variant in bits 4 and 5.
namespace status {

inline constexpr std::uint8_t kVariantBits = 0x30;
inline constexpr int kVariantShift = 4;
inline constexpr std::size_t kRelayCount = 4;

}  // namespace status

}  // namespace instrument
