// The trend page's texts, UTF-8: the page after "ПАМЯТКА", its controls and its file dialog.
#pragma once

#include <array>
#include <string_view>

namespace form::texts {

inline constexpr std::string_view kTrendTab = "ТРЕНД";
inline constexpr std::string_view kTrendSave = "Сохранить…";
inline constexpr std::string_view kTrendLevels = "Уровни";
inline constexpr std::string_view kTrendVolumes = "Объёмы";
// The spans offered, shortest first, in TrendSpan's order.
inline constexpr std::array<std::string_view, 4> kTrendSpans = {"10 мин", "1 ч", "8 ч", "24 ч"};
// The relay bands' labels under the plot, relay 1 first.
inline constexpr std::array<std::string_view, 4> kTrendRelays = {"Р1", "Р2", "Р3", "Р4"};
inline constexpr std::string_view kTrendSaveTitle = "Сохранить тренд";
inline constexpr std::string_view kTrendFileFilter = "CSV (*.csv)";
// A save that failed: this, the file's name, ":", a new line and the reason.
inline constexpr std::string_view kTrendSaveFailed = "Не удалось сохранить тренд в файл ";

}  // namespace form::texts
