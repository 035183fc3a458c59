#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/config.h"

namespace sim {

inline constexpr std::size_t kRequestSize = 8;  // address, function, start, count, CRC
inline constexpr std::uint8_t kReadInputRegisters = 4;
inline constexpr std::size_t kInputRegisterCount = 13;

// The 26 data bytes of the 13 input registers, high byte first.
std::array<std::uint8_t, 2 * kInputRegisterCount> RegisterImage(const Readings& readings);

// Exception reply: address, function | 0x80, code, CRC.
std::vector<std::uint8_t> ExceptionReply(std::uint8_t address, std::uint8_t function,
                                         std::uint8_t code);

// The instrument's answer to one well-formed request frame (8 bytes, CRC
// already checked), or nothing when a real instrument would stay silent:
// another address, another function. A register range outside 0..12 gets
// exception 2, a count of 0 exception 3.
std::optional<std::vector<std::uint8_t>> Answer(std::span<const std::uint8_t> request,
                                                std::uint8_t own_address, const Readings& readings);

}  // namespace sim
