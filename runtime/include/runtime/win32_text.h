// Text to and from Windows' wide (UTF-16) calls, and the system's own error texts.
// Windows builds only. Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

// UTF-8 -> UTF-16; an ill-formed byte becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
// UTF-16 -> UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

// The system's text for a Win32 error code, in the user's language, in UTF-8, without its
// closing full stop and line break ("Access is denied"); "error N" when it has none.
std::string Win32ErrorText(std::uint32_t code);

}  // namespace runtime
