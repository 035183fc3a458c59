// Characters that must not stand for the decimal separator: each would make a reading read as
// another number ("45١5"), or look like one (45, U+200B, 5 shows as "455").
#pragma once

namespace reader {

struct CodePointRange {
  char32_t first;
  char32_t last;
};

// Whether `c` is a Unicode decimal digit of any script (Nd), a format character (Cf), a
// combining mark (Mn, Mc, Me), a control (Cc) or a space or line or paragraph separator (Zs, Zl,
// Zp).
bool IsRefusedCharacter(char32_t c);

}  // namespace reader
