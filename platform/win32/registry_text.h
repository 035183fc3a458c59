// UTF-8 to and from the wide texts of the registry and SetupAPI, for the port listing. Windows
// only; runtime's conversions sit above this library.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace platform::win32_backend {

inline std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
  return utf8;
}

inline std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// A text of `bytes` read from the registry: it may lack its closing zero, and ends at the first.
inline std::string RegistryText(const std::vector<wchar_t>& buffer, DWORD bytes) {
  std::wstring_view text(buffer.data(), bytes / sizeof(wchar_t));
  return Utf8(text.substr(0, text.find(L'\0')));
}

}  // namespace platform::win32_backend
