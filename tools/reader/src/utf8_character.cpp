#include "utf8_character.h"

namespace reader {
namespace {

// Lead bytes of the multi-byte forms. C0, C1 and F5..FF never lead: they
// could only start an overlong form or one beyond U+10FFFF.
struct LeadForm {
  unsigned char first;
  unsigned char last;
  std::size_t length;
  unsigned char payload_mask;
  char32_t lowest;  // below it the form is overlong
};
constexpr LeadForm kLeadForms[] = {
    {0xC2, 0xDF, 2, 0x1F, 0x80},
    {0xE0, 0xEF, 3, 0x0F, 0x800},
    {0xF0, 0xF4, 4, 0x07, 0x10000},
};

constexpr char32_t kHighestCodePoint = 0x10FFFF;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;

}  // namespace

std::optional<Utf8Character> FirstCharacter(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return Utf8Character{lead, 1};
  for (const LeadForm& form : kLeadForms) {
    if (lead < form.first || lead > form.last) continue;
    if (text.size() < form.length) return std::nullopt;
    char32_t code_point = lead & form.payload_mask;
    for (std::size_t i = 1; i < form.length; ++i) {
      const auto next = static_cast<unsigned char>(text[i]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code_point = (code_point << 6) | (next & 0x3F);
    }
    if (code_point < form.lowest || code_point > kHighestCodePoint ||
        (code_point >= kFirstSurrogate && code_point <= kLastSurrogate)) {
      return std::nullopt;
    }
    return Utf8Character{code_point, form.length};
  }
  return std::nullopt;
}

bool IsControlOrLineBreak(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

}  // namespace reader
