// How the reader's messages show an argument the user gave.
#pragma once

#include <string>
#include <string_view>

namespace reader {

// `text` in double quotes, cut after 40 characters with "…", and with control
// characters and bytes that are no UTF-8 written as \xNN: a message stays one
// readable line whatever was passed (a 100 KB frame, terminal controls).
std::string QuotedArgument(std::string_view text);

// `text` as a terminal can show it on one line, unambiguously: a line feed,
// carriage return or tab as \n, \r or \t, other control characters and bytes
// that are no UTF-8 as \xNN, and a backslash doubled. For names the system
// hands over, which may hold any byte.
std::string PrintableText(std::string_view text);

}  // namespace reader
