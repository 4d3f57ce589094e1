#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "alias.h"
#include "testutil.h"

namespace {

using addrmap::LineKind;

std::string Field(const char* text) {
  std::string f(addrmap::kFieldLen, '\0');
  std::memcpy(f.data(), text, std::strlen(text));
  return f;
}

int Compare(const char* a, const char* b) {
  std::string x = Field(a), y = Field(b);
  int r = addrmap::CompareAliases(reinterpret_cast<const unsigned char*>(x.data()),
                                  reinterpret_cast<const unsigned char*>(y.data()));
  return (r > 0) - (r < 0);
}

TEST(CompareAliases, FoldsLowerCaseAndComparesUnsignedBytes) {
  struct Case { const char* a; const char* b; int want; } cases[] = {
      {"alice", "Bob", -1},      {"Bob", "Carl_x", -1},  {"ALICE", "alice", 0},
      {"aZb", "a_b", -1},        {"Z", "[", -1},         {"z", "_", -1},
      {"", "a", -1},             {"ab", "abc", -1},      {"\xe9", "z", 1},
      {"a\x7f", "a\x80", -1},    {"postmaster", "POSTMASTER", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Compare(c.a, c.b), c.want) << c.a << " vs " << c.b;
    EXPECT_EQ(Compare(c.b, c.a), -c.want) << c.b << " vs " << c.a;
  }
}

TEST(AliasPrefixKey, OrderAgreesWithCompareAliases) {
  const char* samples[] = {"", "a", "A", "ab", "abc", "abcdefgh", "ABCDEFGH", "abcdefghi", "abcdefgz",
                           "abc\xff", "abc_", "abcZ", "[", "z", "Z", "_", "\x80", "abcdefg", "abcdefgh_"};
  for (const char* a : samples) {
    for (const char* b : samples) {
      std::string x = Field(a), y = Field(b);
      x += "tail bytes after the field";  // the key must not read past a terminator
      auto ka = addrmap::AliasPrefixKey(reinterpret_cast<const unsigned char*>(x.data()));
      auto kb = addrmap::AliasPrefixKey(reinterpret_cast<const unsigned char*>(y.data()));
      int want = Compare(a, b);
      if (ka != kb) {
        EXPECT_EQ(want, ka < kb ? -1 : 1) << a << " vs " << b;
      } else {
        EXPECT_TRUE(want == 0 || (std::strlen(a) >= 8 && std::strlen(b) >= 8)) << a << " vs " << b;
      }
    }
  }
}

TEST(ClassifyLine, SplitsTrimsAndRejects) {
  struct Case { std::string line; LineKind kind; const char* alias; const char* target; } cases[] = {
      {"postmaster == admin", LineKind::kAlias, "postmaster", "admin"},
      {"a==b==c", LineKind::kAlias, "a", "b==c"},
      {"==x", LineKind::kAlias, "", "x"},
      {"x==", LineKind::kAlias, "x", ""},
      {" \t a b \t== \v\f b c \t\r", LineKind::kAlias, "a b", "b c"},
      {"a == b\r\r\n", LineKind::kAlias, "a", "b"},
      {"", LineKind::kComment, "", ""},
      {"\r", LineKind::kComment, "", ""},
      {"; a == b", LineKind::kComment, "", ""},
      {"* a == b", LineKind::kComment, "", ""},
      {"#a==b", LineKind::kComment, "", ""},
      {" ;comment", LineKind::kMalformed, "", ""},
      {"   ", LineKind::kMalformed, "", ""},
      {"\t", LineKind::kMalformed, "", ""},
      {"a = b", LineKind::kMalformed, "", ""},
      {std::string("a\0b==c", 6), LineKind::kMalformed, "", ""},
      {std::string("a==b\0c", 6), LineKind::kMalformed, "", ""},
  };
  for (const auto& c : cases) {
    auto p = addrmap::ClassifyLine(c.line);
    EXPECT_EQ(p.kind, c.kind) << "line: " << c.line;
    if (c.kind == LineKind::kAlias) {
      EXPECT_EQ(p.alias, c.alias) << "line: " << c.line;
      EXPECT_EQ(p.target, c.target) << "line: " << c.line;
    }
  }
}

TEST(BuildRecord, CutsFieldsAt179BytesAndZeroFills) {
  unsigned char rec[addrmap::kRecordLen];
  std::memset(rec, 0xAA, sizeof rec);
  std::string long_alias(200, 'a'), long_target(179, 't');
  addrmap::BuildRecord(long_alias, long_target, rec);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(rec), 179), std::string(179, 'a'));
  EXPECT_EQ(rec[179], 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(rec + 180), 179), long_target);
  EXPECT_EQ(rec[359], 0);

  addrmap::BuildRecord("", "x", rec);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(rec), 180), std::string(180, '\0'));
  EXPECT_EQ(rec[180], 'x');
  EXPECT_EQ(std::string(reinterpret_cast<char*>(rec + 181), 179), std::string(179, '\0'));
}

// Reads all lines of `input` through a LineReader.
std::vector<std::string> ReadLines(const std::string& input) {
  addrmap_test::ScratchDir dir;
  addrmap_test::WriteFile(dir.File("in"), input);
  std::FILE* f = std::fopen(dir.File("in").c_str(), "rb");
  addrmap::LineReader r(f);
  std::vector<std::string> lines;
  std::string l;
  while (r.Next(&l)) lines.push_back(l);
  std::fclose(f);
  return lines;
}

TEST(LineReader, EndsLinesAtLfOrCrLfAndCutsLongLinesInto511Chunks) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ReadLines("a\r\nb\nc"), (V{"a", "b", "c"}));
  EXPECT_EQ(ReadLines("a\rb\r\r\n\n"), (V{"a\rb\r", ""}));
  EXPECT_EQ(ReadLines(""), V{});
  EXPECT_EQ(ReadLines(std::string(511, 'x') + "\n"), (V{std::string(511, 'x'), ""}));
  EXPECT_EQ(ReadLines(std::string(510, 'x') + "\r\n"), (V{std::string(510, 'x')}));
  EXPECT_EQ(ReadLines(std::string(1100, 'y')),
            (V{std::string(511, 'y'), std::string(511, 'y'), std::string(78, 'y')}));
  EXPECT_EQ(ReadLines(std::string("a\0b\n", 4)), (V{std::string("a\0b", 3)}));
}

}  // namespace
