// Per-enumeration tables: the text and the device value of each member, in
// member order. One generic routine serves every conversion.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "comport/com_types.h"

namespace comport::detail {

template <typename E, std::size_t N>
struct EnumTable {
  std::array<std::string_view, N> texts;
  std::array<std::uint32_t, N> device_values;
  E fallback;  // result of a text that names no member

  constexpr std::string_view Text(E value) const {
    const auto index = static_cast<std::size_t>(value);
    return index < N ? texts[index] : std::string_view{};
  }
  constexpr std::uint32_t DeviceValue(E value) const {
    return device_values[static_cast<std::size_t>(value)];
  }
};

// brCustom's device value is the port's CustomBaudRate; 0 stands for it here.
inline constexpr EnumTable<TBaudRate, 16> kBaudRates{
    {"Custom", "110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400",
     "56000", "57600", "115200", "128000", "256000"},
    {0, 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000,
     256000},
    br9600};
inline constexpr EnumTable<TStopBits, 3> kStopBits{{"1", "1.5", "2"}, {0, 1, 2}, sbOneStopBit};
inline constexpr EnumTable<TDataBits, 4> kDataBits{{"5", "6", "7", "8"}, {5, 6, 7, 8}, dbEight};
inline constexpr EnumTable<TParityBits, 5> kParityBits{
    {"None", "Odd", "Even", "Mark", "Space"}, {0, 1, 2, 3, 4}, prNone};
inline constexpr EnumTable<TDTRFlowControl, 3> kDTRControls{
    {"Disable", "Enable", "Handshake"}, {0, 1, 2}, dtrDisable};
inline constexpr EnumTable<TRTSFlowControl, 4> kRTSControls{
    {"Disable", "Enable", "Handshake", "Toggle"}, {0, 1, 2, 3}, rtsDisable};
inline constexpr EnumTable<TFlowControl, 4> kFlowControls{
    {"Hardware", "Software", "None", "Custom"}, {0, 0, 0, 0}, fcCustom};

}  // namespace comport::detail
