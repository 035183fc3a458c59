// The search box's texts, in UTF-8.
#pragma once

#include <string_view>

namespace form::texts {

inline constexpr std::string_view kSearchItem = "Поиск прибора…";
inline constexpr std::string_view kSearchCaption = "Поиск прибора";
inline constexpr std::string_view kSearchCancel = "Отмена";
inline constexpr std::string_view kSearchChoose = "Выбрать";
inline constexpr std::string_view kSearchAddress = "Адрес ";
inline constexpr std::string_view kSearchRunning = "Идёт поиск: адрес ";
inline constexpr std::string_view kSearchOf = " из ";
inline constexpr std::string_view kSearchFoundSoFar = ", найдено: ";
inline constexpr std::string_view kSearchDone = "Поиск завершён, найдено: ";
inline constexpr std::string_view kSearchNone = "Поиск завершён: приборы не найдены";
inline constexpr std::string_view kSearchCancelled = "Поиск прерван, найдено: ";
inline constexpr std::string_view kSearchNoPort =
    "\u0421\u041E\u041C порт не открыт: выберите порт в меню \u00AB\u0421\u041E\u041C Порт\u00BB";
inline constexpr std::string_view kSearchPortLost =
    "Связь с \u0421\u041E\u041C портом потеряна, поиск остановлен: ";
inline constexpr std::string_view kSearchVariant = ": ВЛК240Т, вариант ";
inline constexpr std::string_view kSearchRefused = ": прибор отказал (код исключения ";
inline constexpr std::string_view kSearchGarbage = ": ответ искажён — ";
// What a garbled answer usually means: with parity or framing errors, and with bytes that make
// no valid frame.
inline constexpr std::string_view kSearchLineErrorsHint =
    "ошибки чётности или кадра: у прибора другие настройки линии (не 9600 бит/с 8E1) или "
    "перепутаны A и B";
inline constexpr std::string_view kSearchBadFrameHint =
    "байты без верного кадра (ошибка CRC или длины): у двух приборов один адрес, перепутаны A и "
    "B или другие настройки линии";
inline constexpr std::string_view kSearchTurnaround = ", ответ за ";
inline constexpr std::string_view kSearchMs = " мс";
// After the turnaround of a reply that came when the search had moved on to later addresses.
inline constexpr std::string_view kSearchLate = ", позже срока ожидания";

}  // namespace form::texts
