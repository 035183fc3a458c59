#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_example {

// The worked example's reply: fault code 0, level 1 = 45.5, volume 1 = 30.25, level 2 = 12.0,
// volume 2 = 100.0, status 0x15 (variant 1, relays 1 and 3 on), alarm delay 10 s,
// self-calibration 50.0, then the CRC.
inline const std::vector<std::uint8_t> kReply = {
    0x01, 0x04, 0x1A, 0x00, 0x00, 0x42, 0x36, 0x00, 0x00, 0x41, 0xF2, 0x00, 0x00, 0x41, 0x40, 0x00,
    0x00, 0x42, 0xC8, 0x00, 0x00, 0x00, 0x15, 0x00, 0x0A, 0x42, 0x48, 0x00, 0x00, 0x47, 0x76};

// What the memo shows of the worked example's reply (variant 1, fault code 0, status 0x15,
// alarm delay 10 s) with "," as the decimal separator.
inline const std::vector<std::string> kMemoLines = {
    "ВЛК240ТхИ Исполнение 1",
    "(Уровнемер-Уровнемер)",
    "",
    "Уровень канала 1 - 45,5 %",
    "Объём канала 1 - 30,3 %",
    "Уровень канала 2 - 12,0 %",
    "Объём канала 2 - 100,0 %",
    "Состояния реле: Вкл. Выкл. Вкл. Выкл. ",
};

// The memo lines as the reader prints them, one per line.
inline std::string MemoText() {
  std::string text;
  for (const std::string& line : kMemoLines) text += line + "\n";
  return text;
}

}  // namespace testing_example
