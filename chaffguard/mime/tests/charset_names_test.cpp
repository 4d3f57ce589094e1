#include "charset_names.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace chaffguard::mime {
namespace {

std::string FirstWord(std::string_view row) { return std::string(row.substr(0, row.find(' '))); }


TEST(CharsetAliasTable, RowsAreInTheDocumentedOrderByFirstAlias) {
  const std::vector<std::string> expected = {
      "ISO-8859-1", "UTF-8", "ISO-10646-UCS-2", "UCS-2BE", "UCS-2LE", "ISO-10646-UCS-4",
      "UCS-4BE", "UCS-4LE", "UTF-16", "UTF-16BE", "UTF-16LE", "UTF-32", "UTF-32BE", "UTF-32LE",
      "UNICODE-1-1-UTF-7", "C99", "JAVA", "US-ASCII", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4",
      "ISO-8859-5", "ISO-8859-6", "ISO-8859-7", "ISO_8859-8", "ISO-8859-9", "ISO-8859-10",
      "ISO-8859-13", "ISO-8859-14", "ISO-8859-15", "ISO-8859-16", "KOI8-R", "KOI8-U", "KOI8-RU",
      "WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1252", "WINDOWS-1253", "WINDOWS-1254",
      "WINDOWS-1255", "WINDOWS-1256", "WINDOWS-1257", "WINDOWS-1258", "850", "862", "866", "MAC",
      "MACCENTRALEUROPE", "MACICELAND", "MACCROATIAN", "MACROMANIA", "MACCYRILLIC", "MACUKRAINE",
      "MACGREEK", "MACTURKISH", "MACHEBREW", "MACARABIC", "MACTHAI", "HP-ROMAN8", "NEXTSTEP",
      "ARMSCII-8", "GEORGIAN-ACADEMY", "GEORGIAN-PS", "KOI8-T", "MULELAO-1", "CP1133", "TIS-620",
      "CP874", "VISCII", "TCVN", "ISO-IR-14", "JISX0201-1976", "ISO-IR-87", "ISO-IR-159", "CN",
      "CHINESE", "CN-GB-ISOIR165", "ISO-IR-149", "EUC-JP", "SHIFT-JIS", "CP932", "ISO-2022-JP",
      "ISO-2022-JP-1", "ISO-2022-JP-2", "CN-GB", "CP936", "GB18030", "ISO-2022-CN",
      "ISO-2022-CN-EXT", "HZ", "EUC-TW", "BIG5", "CP950", "BIG5-HKSCS", "EUC-KR", "CP949",
      "CP1361", "ISO-2022-KR", "437", "CP737", "CP775", "852", "CP853", "855", "857", "CP858",
      "860", "861", "863", "CP864", "865", "869", "CP1125"};
  const auto rows = CharsetAliasRows();
  ASSERT_EQ(rows.size(), expected.size());
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kCharsetAliasRowCount));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(FirstWord(rows[i]), expected[i]) << "row " << i;
  }
}

TEST(CharsetAliasTable, RowsAreUpperCaseSingleSpacedAndNoAliasIsInTwoRows) {
  std::map<std::string, std::size_t> seen;
  const auto rows = CharsetAliasRows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string_view row = rows[i];
    ASSERT_FALSE(row.empty()) << "row " << i;
    EXPECT_EQ(row.find("  "), std::string_view::npos) << row;
    EXPECT_NE(row.front(), ' ');
    EXPECT_NE(row.back(), ' ');
    for (char c : row) EXPECT_FALSE(c >= 'a' && c <= 'z') << row;
    std::size_t pos = 0;
    while (pos < row.size()) {
      std::size_t end = row.find(' ', pos);
      if (end == std::string_view::npos) end = row.size();
      const std::string alias(row.substr(pos, end - pos));
      const auto [it, inserted] = seen.emplace(alias, i);
      EXPECT_TRUE(inserted) << alias << " in rows " << it->second << " and " << i;
      pos = end + 1;
    }
  }
}

TEST(CharsetAliasTable, TheLatin1RowHoldsItsAliases) {
  EXPECT_EQ(CharsetAliasRows()[0],
            "ISO-8859-1 CP819 IBM819 ISO-IR-100 ISO8859-1 ISO_8859-1 ISO_8859-1:1987 L1 LATIN1 "
            "CSISOLATIN1");
}

struct ResolveCase {
  const char* name;
  const char* canonical;
};

class ResolveCharsetTest : public testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveCharsetTest, ResolvesToTheExpectedCharset) {
  const ResolveCase& c = GetParam();
  EXPECT_EQ(CanonicalCharsetName(ResolveCharset(c.name)), c.canonical) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ResolveCharsetTest,
    testing::Values(
        ResolveCase{"iso-8859-1", "ISO-8859-1"}, ResolveCase{"latin1", "ISO-8859-1"},
        ResolveCase{"Latin2", "ISO-8859-2"}, ResolveCase{"iso8859-2", "ISO-8859-2"},
        ResolveCase{"utf-8", "UTF-8"}, ResolveCase{"UTF8", "UTF-8"},
        ResolveCase{"us-ascii", "US-ASCII"}, ResolveCase{"ascii", "US-ASCII"},
        ResolveCase{"windows-1250", "WINDOWS-1250"}, ResolveCase{"cp1251", "WINDOWS-1251"},
        ResolveCase{"koi8-r", "KOI8-R"}, ResolveCase{"iso-8859-8", "ISO_8859-8"},
        ResolveCase{"hebrew", "ISO_8859-8"}, ResolveCase{"utf-7", "UNICODE-1-1-UTF-7"},
        ResolveCase{"Shift_JIS", "SHIFT-JIS"}, ResolveCase{"gb2312", "CN-GB"},
        ResolveCase{"ks_c_5601-1987", "ISO-IR-149"}, ResolveCase{"big5", "BIG5"},
        ResolveCase{"ibm437", "437"}, ResolveCase{"cp850", "850"},
        ResolveCase{"macintosh", "MAC"}, ResolveCase{"tis620", "TIS-620"},
        ResolveCase{"unicode-1-1", "UCS-2BE"}, ResolveCase{"ucs-2", "ISO-10646-UCS-2"},
        // recognised before the table, by substring
        ResolveCase{"kamenicky", "KAMENICKY"}, ResolveCase{"x-Kamenicky-cs", "KAMENICKY"},
        ResolveCase{"cp895", "KAMENICKY"}, ResolveCase{"x-mutf-7", "MUTF-7"},
        ResolveCase{"MUTF-7", "MUTF-7"},
        // not in the table: ISO-8859-1
        ResolveCase{"", "ISO-8859-1"}, ResolveCase{"x-user-defined", "ISO-8859-1"},
        ResolveCase{"utf", "ISO-8859-1"}, ResolveCase{"8859-2", "ISO-8859-1"},
        ResolveCase{" utf-8", "ISO-8859-1"}, ResolveCase{"utf-8 ", "ISO-8859-1"}),
    [](const testing::TestParamInfo<ResolveCase>& info) {
      std::string name = std::to_string(info.index) + "_";
      for (const char* p = info.param.name; *p != '\0'; ++p) {
        const char c = *p;
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        name.push_back(alnum ? c : '_');
      }
      return name;
    });

TEST(ResolveCharset, DifferentNamesOfOneCharsetCompareEqual) {
  EXPECT_EQ(ResolveCharset("cp1252"), ResolveCharset("WINDOWS-1252"));
  EXPECT_EQ(ResolveCharset("l1"), ResolveCharset("nonsense"));
  EXPECT_FALSE(ResolveCharset("utf-8") == ResolveCharset("utf-16"));
}

struct BomCase {
  const char* name;
  std::string bom;
};

TEST(ByteOrderMark, ExplicitEndianUnicodeFormsHaveOneOthersNone) {
  const BomCase cases[] = {
      {"UTF-16BE", std::string("\xFE\xFF", 2)},
      {"UTF-16LE", std::string("\xFF\xFE", 2)},
      {"UCS-2BE", std::string("\xFE\xFF", 2)},
      {"UCS-2LE", std::string("\xFF\xFE", 2)},
      {"UTF-32BE", std::string("\x00\x00\xFE\xFF", 4)},
      {"UCS-4LE", std::string("\xFF\xFE\x00\x00", 4)},
      {"UTF-16", ""},
      {"UTF-8", ""},
      {"ISO-8859-2", ""},
  };
  for (const BomCase& c : cases) EXPECT_EQ(ByteOrderMark(ResolveCharset(c.name)), c.bom) << c.name;
}

}  // namespace
}  // namespace chaffguard::mime
