#include "posix/input_decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace platform::posix {
namespace {

std::string Decode(InputDecoder& decoder, const std::string& raw) {
  std::deque<unsigned char> out;
  decoder.Decode(reinterpret_cast<const unsigned char*>(raw.data()), raw.size(), &out);
  return std::string(out.begin(), out.end());
}

TEST(InputDecoder, ParityMarksPassBadBytesOrReplaceThemAndUndoubleFF) {
  const std::string raw(
      "a\xFF\xFF"
      "b\xFF\x00"
      "c"
      "d",
      8);
  InputDecoder pass;
  pass.Configure({.parity_marks = true});
  EXPECT_EQ(Decode(pass, raw), std::string("a\xFF"
                                           "bcd"));
  InputDecoder replace;
  replace.Configure({.parity_marks = true, .replace_errors = true, .error_char = '?'});
  EXPECT_EQ(Decode(replace, raw), std::string("a\xFF"
                                              "b?d"));
  InputDecoder plain;  // no marks: bytes as they come
  EXPECT_EQ(Decode(plain, raw), raw);
}

TEST(InputDecoder, AMarkSplitAcrossReadsIsCarriedOverUntilReset) {
  InputDecoder decoder;
  decoder.Configure({.parity_marks = true, .replace_errors = true, .error_char = '?'});
  EXPECT_EQ(Decode(decoder, std::string("x\xFF", 2)), "x");
  EXPECT_EQ(Decode(decoder, std::string("\x00", 1)), "");
  EXPECT_EQ(Decode(decoder, "zy"), "?y");
  EXPECT_EQ(Decode(decoder, std::string("\xFF", 1)), "");
  decoder.Reset();
  EXPECT_EQ(Decode(decoder, std::string("\x00q", 2)), std::string("\x00q", 2));
}

TEST(InputDecoder, DiscardNullDropsNulsIncludingANulReplacement) {
  InputDecoder decoder;
  decoder.Configure(
      {.parity_marks = true, .replace_errors = true, .error_char = 0, .discard_nul = true});
  EXPECT_EQ(Decode(decoder, std::string("\x00"
                                        "a\xFF\x00"
                                        "bc",
                                        6)),
            "ac");
}

}  // namespace
}  // namespace platform::posix
