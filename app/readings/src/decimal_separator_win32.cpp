// The separator of a locale as Windows' regional settings give it.
#include <string>

#include "readings/decimal_separator.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace readings {
namespace {

constexpr const char* kFallback = ".";

// Locale names are ASCII ("ru-RU"); anything else names no locale.
bool ToWide(const char* text, std::wstring& wide) {
  for (const char* c = text; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) >= 0x80) return false;
    wide.push_back(static_cast<wchar_t>(*c));
  }
  return true;
}

std::string ToUtf8(const wchar_t* text, int length) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace

std::string SeparatorOfLocale(const char* locale_name) {
  std::wstring name;
  if (!ToWide(locale_name, name)) return kFallback;
  // "" is the user's own settings, with the separator they may have changed there.
  const wchar_t* locale = name.empty() ? LOCALE_NAME_USER_DEFAULT : name.c_str();
  wchar_t separator[8] = {};  // the system allows at most 3 characters and the end
  const int length = ::GetLocaleInfoEx(locale, LOCALE_SDECIMAL, separator, 8);
  if (length <= 1) return kFallback;  // failed, or only the terminating zero
  return ToUtf8(separator, length - 1);
}

}  // namespace readings
