#pragma once

#include <string>
#include <vector>

namespace testing_example {

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
