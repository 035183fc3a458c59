#include "sim/instrument.h"

#include <algorithm>
#include <bit>

#include "sim/crc16.h"

namespace sim {
namespace {

constexpr std::uint8_t kIllegalDataAddress = 2;
constexpr std::uint8_t kIllegalDataValue = 3;

void PutFloat(std::uint8_t* at, float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
}

}  // namespace

std::array<std::uint8_t, 2 * kInputRegisterCount> RegisterImage(const Readings& readings) {
  std::array<std::uint8_t, 2 * kInputRegisterCount> image{};
  image[1] = readings.fault;
  PutFloat(&image[2], readings.level1);
  PutFloat(&image[6], readings.volume1);
  PutFloat(&image[10], readings.level2);
  PutFloat(&image[14], readings.volume2);
  image[19] = readings.StatusByte();
  image[21] = readings.alarm_delay;
  PutFloat(&image[22], readings.selfcal);
  return image;
}

std::vector<std::uint8_t> ExceptionReply(std::uint8_t address, std::uint8_t function,
                                         std::uint8_t code) {
  std::vector<std::uint8_t> frame{address, static_cast<std::uint8_t>(function | 0x80U), code};
  AppendCrc(frame);
  return frame;
}

std::optional<std::vector<std::uint8_t>> Answer(std::span<const std::uint8_t> request,
                                                std::uint8_t own_address,
                                                const Readings& readings) {
  if (request.size() != kRequestSize || request[0] != own_address ||
      request[1] != kReadInputRegisters) {
    return std::nullopt;
  }
  const unsigned start = (request[2] << 8U) | request[3];
  const unsigned count = (request[4] << 8U) | request[5];
  if (count == 0) return ExceptionReply(own_address, kReadInputRegisters, kIllegalDataValue);
  if (start + count > kInputRegisterCount) {
    return ExceptionReply(own_address, kReadInputRegisters, kIllegalDataAddress);
  }
  const auto image = RegisterImage(readings);
  std::vector<std::uint8_t> frame(3 + 2 * count);
  frame[0] = own_address;
  frame[1] = kReadInputRegisters;
  frame[2] = static_cast<std::uint8_t>(2 * count);
  std::copy_n(image.begin() + 2 * start, 2 * count, frame.begin() + 3);
  AppendCrc(frame);
  return frame;
}

}  // namespace sim
