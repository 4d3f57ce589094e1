#include <gtest/gtest.h>

#include "text.h"

namespace {

using namespace control;

TEST(RemoveWhiteSpace, DropsEveryKindOfWhiteSpace) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"Apache 2.4", "Apache2.4"},
      {"Apache\t", "Apache"},
      {" \r\n\v\fA", "A"},
      {"a\xC2\x85" "b\xC2\xA0" "c", "abc"},                        // U+0085, U+00A0
      {"a\xE3\x80\x80" "b\xE2\x80\xA8" "c\xE2\x80\xA9", "abc"},    // U+3000, U+2028, U+2029
      {"a\xE2\x80\x83" "b\xE1\x9A\x80" "c", "abc"},                // U+2003, U+1680
      {"\xE6\x9C\x8D\xE5\x8A\xA1 x", "\xE6\x9C\x8D\xE5\x8A\xA1x"},  // Chinese kept
      {"bad\xC2 x\xFF", "bad\xC2x\xFF"},                           // invalid bytes kept
      {"a\"b & c>d", "a\"b&c>d"},
  };
  for (const Case& c : cases) EXPECT_EQ(RemoveWhiteSpace(c.in), c.out) << c.in;
}

TEST(FormatPortList, SortsNumericallyAndDropsDuplicates) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"443, 80, 443", "80, 443"},
      {"8080", "8080"},
      {"80, 80, 80", "80"},
      {"9000, 100, 25", "25, 100, 9000"},
      {"443 80,", "80, 443"},
      {"", ""},
      {"80 443", "80 443"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatPortList(c.in), c.out) << c.in;
}

TEST(IPAddrToString, ReadsTheLowestByteFirst) {
  const unsigned char bytes[4] = {127, 0, 0, 1};
  std::uint32_t addr = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
  EXPECT_EQ(IPAddrToString(addr), "127.0.0.1");
  EXPECT_EQ(IPAddrToString(0xFFFFFFFFu), "255.255.255.255");
  EXPECT_EQ(IPAddrToString(0), "0.0.0.0");
}

TEST(Format, FillsPlaceholdersInOrder) {
  EXPECT_EQ(Format("端口 %d 被进程 \"%s\" PID %d 占用", {80, std::string("x.exe"), 12}),
            "端口 80 被进程 \"x.exe\" PID 12 占用");
  EXPECT_EQ(Format("100%% %s", {std::string("a%sb")}), "100% a%sb");
  EXPECT_EQ(Format("%s and %s", {std::string("one")}), "one and ");
}

TEST(ContainsText, IgnoresCaseOfLetters) {
  EXPECT_TRUE(ContainsText("\"C:\\Ostrel\\Apache\\bin\\httpd.exe\" -k runservice", "c:\\ostrel\\apache\\bin\\httpd.exe"));
  EXPECT_FALSE(ContainsText("ERROR: Service Not Found", "c:\\ostrel\\"));
  EXPECT_EQ(GetLanguage(), "en");
}

}  // namespace
