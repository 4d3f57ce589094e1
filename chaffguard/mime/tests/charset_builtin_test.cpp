#include "charset_builtin.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "charset_names.h"

namespace chaffguard::mime {
namespace {

struct ByteCase {
  const char* charset;
  int byte;
  char32_t code_point;  // 0: the byte is unassigned and dropped
};

TEST(BuiltinSingleByte, DecodesBytesByThePublishedCodePages) {
  const ByteCase cases[] = {
      {"ISO-8859-1", 0xE9, U'\u00e9'},     {"ISO-8859-1", 0x85, 0x0085},
      {"ISO-8859-2", 0xB1, U'\u0105'},     {"ISO-8859-5", 0xB0, U'\u0410'},
      {"ISO-8859-7", 0xE1, U'\u03b1'},     {"ISO-8859-8", 0xE0, U'\u05d0'},
      {"ISO-8859-15", 0xA4, U'\u20ac'},    {"ISO-8859-16", 0xAA, U'\u0218'},
      {"WINDOWS-1250", 0x9A, U'\u0161'},   {"WINDOWS-1251", 0xC0, U'\u0410'},
      {"WINDOWS-1252", 0x80, U'\u20ac'},   {"WINDOWS-1252", 0x81, 0},
      {"KOI8-R", 0xC1, U'\u0430'},         {"KOI8-U", 0xA4, U'\u0454'},
      {"437", 0x82, U'\u00e9'},            {"850", 0x9B, U'\u00f8'},
      {"866", 0x80, U'\u0410'},            {"MAC", 0x80, U'\u00c4'},
      {"MACCYRILLIC", 0x80, U'\u0410'},    {"TIS-620", 0xA1, U'\u0e01'},
      {"CP874", 0x80, U'\u20ac'},          {"JISX0201-1976", 0xB1, U'\uff71'},
      {"JISX0201-1976", 0x5C, U'\u00a5'},  {"ISO-IR-14", 0x7E, U'\u203e'},
      {"VISCII", 0x02, U'\u1eb2'},         {"MULELAO-1", 0xA1, U'\u0e81'},
      {"KAMENICKY", 0x80, U'\u010c'},      {"KAMENICKY", 0xA8, U'\u0161'},
      {"KAMENICKY", 0xB0, U'\u2591'},      {"US-ASCII", 0xE9, 0},
      {"US-ASCII", 0x41, U'A'},            {"CP1125", 0xF2, U'\u0490'},
  };
  for (const ByteCase& c : cases) {
    const std::string in(1, static_cast<char>(c.byte));
    const std::u32string expected = c.code_point == 0 ? U"" : std::u32string(1, c.code_point);
    EXPECT_EQ(BuiltinDecode(ResolveCharset(c.charset), in), expected)
        << c.charset << " byte " << c.byte;
  }
}

TEST(BuiltinSingleByte, EveryAssignedByteEncodesBackToAByteOfTheSameCharacter) {
  int tables = 0;
  for (int row = 0; row <= kKamenicky.value; ++row) {
    const CharsetId id{row};
    if (!HasBuiltinSingleByteTable(id)) continue;
    ++tables;
    for (int b = 1; b < 256; ++b) {
      const std::string in(1, static_cast<char>(b));
      const std::u32string cp = BuiltinDecode(id, in);
      if (cp.empty()) continue;
      const std::string back = BuiltinEncode(id, cp);
      ASSERT_EQ(back.size(), 1u) << CanonicalCharsetName(id) << " byte " << b;
      EXPECT_EQ(BuiltinDecode(id, back), cp) << CanonicalCharsetName(id) << " byte " << b;
    }
  }
  EXPECT_EQ(tables, 71);  // 70 single-byte rows of the alias table and Kamenicky
}

TEST(BuiltinSingleByte, ACharacterTheTargetLacksBecomesUnderscore) {
  EXPECT_EQ(BuiltinEncode(ResolveCharset("ISO-8859-1"), U"a\u20acb"), "a_b");
  EXPECT_EQ(BuiltinEncode(ResolveCharset("US-ASCII"), U"caf\u00e9"), "caf_");
  EXPECT_EQ(BuiltinEncode(ResolveCharset("KOI8-R"), U"\u0430\u0105"), "\xC1_");
  EXPECT_EQ(BuiltinEncode(ResolveCharset("ISO-IR-14"), U"\\"), "_");
}

TEST(BuiltinConverters, CoverTheSingleByteAndUnicodeRowsAndNotTheMultiByteOnes) {
  const std::set<std::string> without = {
      "ISO-IR-87",       "ISO-IR-159",    "CN",
      "CHINESE",   "CN-GB-ISOIR165", "ISO-IR-149",   "EUC-JP",        "SHIFT-JIS",
      "CP932",     "ISO-2022-JP", "ISO-2022-JP-1",   "ISO-2022-JP-2", "CN-GB",
      "CP936",     "GB18030",     "ISO-2022-CN",     "ISO-2022-CN-EXT", "HZ",
      "EUC-TW",    "BIG5",        "CP950",           "BIG5-HKSCS",    "EUC-KR",
      "CP949",     "CP1361",      "ISO-2022-KR",     "CP853"};
  for (int row = 0; row < kCharsetAliasRowCount; ++row) {
    const std::string name(CanonicalCharsetName(CharsetId{row}));
    EXPECT_EQ(HasBuiltinConverter(CharsetId{row}), without.count(name) == 0) << name;
  }
  EXPECT_TRUE(HasBuiltinConverter(kKamenicky));
  EXPECT_TRUE(HasBuiltinConverter(kModifiedUtf7));
}

TEST(BuiltinConverters, CharsetsWithoutAConverterAreReadAndWrittenAsLatin1) {
  EXPECT_EQ(BuiltinDecode(ResolveCharset("shift_jis"), "a\xE9"), U"a\u00e9");
  EXPECT_EQ(BuiltinEncode(ResolveCharset("big5"), U"\u00e9\u4e00"), "\xE9_");
}

}  // namespace
}  // namespace chaffguard::mime
