#include <gtest/gtest.h>

#include "cgtext.h"
#include "mystrlist.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using Items = std::vector<std::string>;

TEST(CommaText, SplitsAtCommasBlanksAndControlsAndHonoursQuotes) {
  struct Case { const char* text; Items items; };
  const Case cases[] = {
      {"", {}},
      {"a,b", {"a", "b"}},
      {"  a , b  ", {"a", "b"}},
      {"a b\tc", {"a", "b", "c"}},
      {"a,,b", {"a", "", "b"}},
      {"\"x y,z\",w", {"x y,z", "w"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"10.0.0.0/8,192.168.1.0/24", {"10.0.0.0/8", "192.168.1.0/24"}},
      {"\"open", {"open"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommaText(c.text), c.items) << c.text;
}

TEST(PlainAddress, TakesTheAngleBracketPartOrTheTrimmedText) {
  EXPECT_EQ(PlainAddress("Bob <bob@example.com> x"), "bob@example.com");
  EXPECT_EQ(PlainAddress("  bob@example.com "), "bob@example.com");
  EXPECT_EQ(PlainAddress("Bob < bob@example.com"), "bob@example.com");
  EXPECT_EQ(PlainAddress("<>"), "");
}

TEST(ParseInt, AcceptsDecimalAndHexAndFallsBackOnJunk) {
  EXPECT_EQ(ParseInt(" 42 ", 7), 42);
  EXPECT_EQ(ParseInt("-3", 7), -3);
  EXPECT_EQ(ParseInt("$1F", 7), 31);
  EXPECT_EQ(ParseInt("0x10", 7), 16);
  EXPECT_EQ(ParseInt("12a", 7), 7);
  EXPECT_EQ(ParseInt("", 7), 7);
  EXPECT_EQ(ParseInt("99999999999999999999999", 7), 7);
}

TEST(LineList, SplitsAtEveryKindOfLineEndAndWritesCrLf) {
  TMyStringList l;
  l.SetText("a\rb\nc\r\nd\r\r\ne");
  EXPECT_EQ(l.lines, (Items{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\ne\r\n");
  l.SetText("x\r\n\r\n");
  EXPECT_EQ(l.lines, (Items{"x", ""}));
  l.SetText(std::string("n\0ul\r\n", 6));
  ASSERT_EQ(l.Count(), 1u);
  EXPECT_EQ(l[0].size(), 4u);
}

TEST(LineList, LoadAndSaveRoundTripAndReportMissingFile) {
  cg_test::ScratchDir dir;
  cg_test::WriteFile(dir.File("m.txt"), "one\ntwo\r\n");
  TMyStringList l;
  l.LoadFromFile(dir.File("m.txt"));
  l.SaveToFile(dir.File("out.txt"));
  EXPECT_EQ(cg_test::ReadFile(dir.File("out.txt")), "one\r\ntwo\r\n");
  EXPECT_THROW(l.LoadFromFile(dir.File("missing.txt")), std::runtime_error);
  // Saving over a longer and over a shorter file leaves exactly the new text.
  cg_test::WriteFile(dir.File("long.txt"), std::string(70000, 'x'));
  l.SaveToFile(dir.File("long.txt"));
  EXPECT_EQ(cg_test::ReadFile(dir.File("long.txt")), "one\r\ntwo\r\n");
  l.lines.assign(5000, "a longer line than before");
  l.SaveToFile(dir.File("long.txt"));
  EXPECT_EQ(cg_test::ReadFile(dir.File("long.txt")).size(), 5000u * 27);
  EXPECT_THROW(l.SaveToFile(dir.File("no-such-dir/x.txt")), std::runtime_error);
}

TEST(HeaderUnfolding, JoinsContinuationsButNeverTheLastLineOrPastAnEmptyLine) {
  const Items lines = {"Subject: one", "\t two ", "\"three\"", ":four", "=five", "To: x",
                       " cont", "", " body", "Last: y", " notjoined"};
  size_t i = 0;
  EXPECT_EQ(UnfoldHeader(lines, i), "Subject: one two \"three\" :four =five");
  EXPECT_EQ(i, 5u);
  EXPECT_EQ(UnfoldHeader(lines, i), "To: x cont");
  EXPECT_EQ(i, 7u);
  i = 9;
  EXPECT_EQ(UnfoldHeader(lines, i), "Last: y");
  EXPECT_EQ(i, 10u);
}

}  // namespace
}  // namespace chaffguard
