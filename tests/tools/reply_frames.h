#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "exchange/EMUL_Functions.h"
#include "worked_example.h"

namespace reader::testing_frames {

// The worked example: variant 1, fault code 0, status 0x15, alarm delay 10 s.
inline const std::vector<std::uint8_t>& kWorkedExample = testing_example::kReply;

inline constexpr std::size_t kStatusOffset = 22;

// The frame with its last two bytes replaced by the CRC of the others.
inline std::vector<std::uint8_t> WithCrc(std::vector<std::uint8_t> frame) {
  EMUL_Functions::FrameBuffer buffer{};
  std::copy(frame.begin(), frame.end() - 2, buffer.begin());
  const std::uint16_t crc =
      EMUL_Functions::CRC16(static_cast<std::uint8_t>(frame.size() - 2), buffer);
  frame[frame.size() - 2] = static_cast<std::uint8_t>(crc & 0xFF);
  frame[frame.size() - 1] = static_cast<std::uint8_t>(crc >> 8);
  return frame;
}

inline std::vector<std::uint8_t> Variant3Example() {
  std::vector<std::uint8_t> frame = kWorkedExample;
  frame[kStatusOffset] = 0x35;
  return WithCrc(frame);
}

inline std::string Hex(const std::vector<std::uint8_t>& frame) {
  std::string text;
  for (const std::uint8_t byte : frame) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X ", byte);
    text += pair;
  }
  return text;
}

inline const std::string kWorkedExampleOutput =
    "Принято:   1 4 26 0 0 66 54 0 0 65 242 0 0 65 64 0 0 66 200 0 0 0 21 0 10 "
    "66 72 0 0 71 118 \n" +
    testing_example::MemoText();

inline const std::string kVariant3Lines =
    "ВЛК240ТхИ Исполнение 3\n"
    "(Самокалибрующийся уровнемер)\n"
    "\n"
    "Уровень канала 1 - 45,5 %\n"
    "Объём канала 1 - 30,3 %\n"
    "Уровень самокалибровки - 50,0 %\n"
    "Пауза на срабатывание сигнализатора - 10 c\n"
    "Датчик-сигнализатор канала 2 - ВКЛ.\n"
    "Состояния реле: Вкл. Выкл. Вкл. Выкл. \n";

}  // namespace reader::testing_frames
