#include "unicode_codecs.h"

#include <gtest/gtest.h>

#include <string>

namespace chaffguard::mime {
namespace {

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

struct CodecCase {
  const char* label;
  UnicodeForm form;
  std::u32string text;
  std::string encoded;
};

// Each case holds in both directions: text encodes to exactly these bytes and the
// bytes decode back to the text.
const CodecCase kExactCases[] = {
    {"utf8 mixed", UnicodeForm::kUtf8, U"a\u00e9\u20ac\U0001F600",
     "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
    {"utf7 rfc example smiley", UnicodeForm::kUtf7, U"Hi Mom -\u263A-!", "Hi Mom -+Jjo--!"},
    {"utf7 rfc example alpha", UnicodeForm::kUtf7, U"A\u2262\u0391.", "A+ImIDkQ."},
    {"utf7 japanese", UnicodeForm::kUtf7, U"\u65E5\u672C\u8A9E", "+ZeVnLIqe-"},
    {"utf7 plus sign", UnicodeForm::kUtf7, U"1+1", "1+-1"},
    {"utf7 astral pair", UnicodeForm::kUtf7, U"\U0001F600", "+2D3eAA-"},
    {"mutf7 folder", UnicodeForm::kModifiedUtf7, U"~peter/mail/\u53F0\u5317/\u65E5\u672C\u8A9E",
     "~peter/mail/&U,BTFw-/&ZeVnLIqe-"},
    {"mutf7 ampersand", UnicodeForm::kModifiedUtf7, U"a&b", "a&-b"},
    {"ucs2be", UnicodeForm::kUcs2Be, U"A\u20ac", B({0x00, 0x41, 0x20, 0xAC})},
    {"ucs2le", UnicodeForm::kUcs2Le, U"A\u20ac", B({0x41, 0x00, 0xAC, 0x20})},
    {"ucs2 writes big endian without mark", UnicodeForm::kUcs2, U"A", B({0x00, 0x41})},
    {"ucs4le", UnicodeForm::kUcs4Le, U"\U0001F600", B({0x00, 0xF6, 0x01, 0x00})},
    {"utf16 writes a big-endian mark", UnicodeForm::kUtf16, U"A",
     B({0xFE, 0xFF, 0x00, 0x41})},
    {"utf16le pair", UnicodeForm::kUtf16Le, U"\U0001F600", B({0x3D, 0xD8, 0x00, 0xDE})},
    {"utf32 writes a big-endian mark", UnicodeForm::kUtf32, U"A",
     B({0x00, 0x00, 0xFE, 0xFF, 0x00, 0x00, 0x00, 0x41})},
    {"utf32be", UnicodeForm::kUtf32Be, U"\u00e9", B({0x00, 0x00, 0x00, 0xE9})},
    {"c99", UnicodeForm::kC99, U"a\u0085\u00e9\U0001F600", "a\x85" "\\u00e9\\U0001f600"},
    {"java", UnicodeForm::kJava, U"a\u00e9\U0001F600", "a\\u00e9\\ud83d\\ude00"},
};

TEST(UnicodeCodecs, EncodesAndDecodesTheKnownForms) {
  for (const CodecCase& c : kExactCases) {
    EXPECT_EQ(EncodeUnicode(c.form, c.text), c.encoded) << c.label;
    EXPECT_EQ(DecodeUnicode(c.form, c.encoded), c.text) << c.label;
  }
}

struct DecodeCase {
  const char* label;
  UnicodeForm form;
  std::string bytes;
  std::u32string text;
};

TEST(UnicodeCodecs, DropsMalformedInputWhileDecoding) {
  const DecodeCase cases[] = {
      {"utf8 overlong slash", UnicodeForm::kUtf8, "a\xC0\xAF" "b", U"ab"},
      {"utf8 encoded surrogate", UnicodeForm::kUtf8, "a\xED\xA0\x80" "b", U"ab"},
      {"utf8 beyond U+10FFFF", UnicodeForm::kUtf8, "\xF4\x90\x80\x80" "z", U"z"},
      {"utf8 truncated at end", UnicodeForm::kUtf8, "ok\xE2\x82", U"ok"},
      {"utf8 truncated before ascii", UnicodeForm::kUtf8, "\xE2\x82z", U"z"},
      {"utf8 stray continuation", UnicodeForm::kUtf8, "\x80\xBF" "x", U"x"},
      {"utf7 8-bit byte", UnicodeForm::kUtf7, "a\xE9" "b", U"ab"},
      {"utf7 shift at end", UnicodeForm::kUtf7, "a+", U"a"},
      {"utf7 run without terminator", UnicodeForm::kUtf7, "+AGE", U"a"},
      {"utf7 lone high surrogate", UnicodeForm::kUtf7, "+2D0-x", U"x"},
      {"ucs2 odd length", UnicodeForm::kUcs2Be, B({0x00, 0x41, 0x00}), U"A"},
      {"ucs2 surrogate unit", UnicodeForm::kUcs2Be, B({0xD8, 0x3D, 0x00, 0x42}), U"B"},
      {"ucs2 little-endian mark", UnicodeForm::kUcs2, B({0xFF, 0xFE, 0x41, 0x00}), U"A"},
      {"ucs2 big-endian mark", UnicodeForm::kUcs2, B({0xFE, 0xFF, 0x00, 0x41}), U"A"},
      {"utf16 little-endian mark", UnicodeForm::kUtf16, B({0xFF, 0xFE, 0x41, 0x00}), U"A"},
      {"utf16 no mark is big endian", UnicodeForm::kUtf16, B({0x00, 0x41}), U"A"},
      {"utf16 lone low surrogate", UnicodeForm::kUtf16Be, B({0xDC, 0x00, 0x00, 0x43}), U"C"},
      {"utf32 value too large", UnicodeForm::kUtf32Be, B({0x00, 0x11, 0x00, 0x00, 0, 0, 0, 0x44}),
       U"D"},
      {"utf32 little-endian mark", UnicodeForm::kUtf32, B({0xFF, 0xFE, 0, 0, 0x45, 0, 0, 0}),
       U"E"},
      {"ucs4 truncated unit", UnicodeForm::kUcs4Be, B({0, 0, 0, 0x46, 0, 0}), U"F"},
      {"c99 short escape kept as text", UnicodeForm::kC99, "\\u12x", U"\\u12x"},
      {"c99 upper-case hex", UnicodeForm::kC99, "\\u00E9", U"\u00e9"},
      {"java has no long escape", UnicodeForm::kJava, "\\U0001F600", U"\\U0001F600"},
      {"java drops 8-bit bytes", UnicodeForm::kJava, "a\xE9", U"a"},
      {"java lone surrogate escape", UnicodeForm::kJava, "\\ud83dz", U"z"},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(DecodeUnicode(c.form, c.bytes), c.text) << c.label;
}

TEST(UnicodeCodecs, DropsCodePointsAFormCannotHold) {
  EXPECT_EQ(EncodeUnicode(UnicodeForm::kUcs2Be, U"a\U0001F600b"), B({0, 'a', 0, 'b'}));
  EXPECT_EQ(EncodeUnicode(UnicodeForm::kUtf8, std::u32string(U"a") + char32_t{0xD800} + U"b"),
            "ab");
  EXPECT_EQ(EncodeUnicode(UnicodeForm::kUtf8, std::u32string(U"a") + char32_t{0x110000}), "a");
}

TEST(UnicodeCodecs, Utf7EndsARunWithDashOnlyWhenTheNextCharacterNeedsIt) {
  EXPECT_EQ(EncodeUnicode(UnicodeForm::kUtf7, U"\u00e9 x"), "+AOk x");
  EXPECT_EQ(EncodeUnicode(UnicodeForm::kUtf7, U"\u00e9x"), "+AOk-x");
  EXPECT_EQ(EncodeUnicode(UnicodeForm::kUtf7, U"\u00e9-"), "+AOk--");
  EXPECT_EQ(DecodeUnicode(UnicodeForm::kUtf7, "+AOk x"), U"\u00e9 x");
}

}  // namespace
}  // namespace chaffguard::mime
