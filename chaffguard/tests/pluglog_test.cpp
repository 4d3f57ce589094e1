#include <gtest/gtest.h>

#include "cgtext.h"
#include "pluglog.h"
#include "testutil.h"

namespace chaffguard {
namespace {

LocalDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  LocalDateTime t;
  t.year = y; t.month = mo; t.day = d; t.hour = h; t.minute = mi; t.second = s; t.ms = ms;
  return t;
}

TEST(LogFileName, ReplacesYearMonthDayAndWeek) {
  EXPECT_EQ(LogFileName("cg~Y~M.log", At(2009, 3, 5)), "cg0903.log");
  EXPECT_EQ(LogFileName("~D-~W-~X~", At(2009, 3, 5)), "05-09-~X~");
  EXPECT_EQ(LogFileName("plain.log", At(2009, 3, 5)), "plain.log");
}

TEST(WeekNumber, DaysBeforeTheFirstMondayAreWeekZero) {
  struct Case { LocalDateTime t; int week; };
  const Case cases[] = {
      {At(2024, 1, 1), 0},   // 1 January is a Monday: week 00 starts on it
      {At(2024, 1, 7), 0},
      {At(2024, 1, 8), 1},
      {At(2009, 1, 1), 0},   // a Thursday
      {At(2009, 1, 4), 0},   // Sunday
      {At(2009, 1, 5), 1},   // first Monday
      {At(2023, 1, 1), 0},   // a Sunday
      {At(2023, 1, 2), 1},
      {At(2009, 12, 31), 52},
  };
  for (const auto& c : cases) EXPECT_EQ(WeekNumber(c.t), c.week) << FormatDateTime(c.t);
}

TEST(LogLine, HasTypeTimestampWithMillisecondsJobAndMessage) {
  EXPECT_EQ(LogLine('_', At(2009, 3, 5, 7, 8, 9, 12), "JOB1", "Done. (3)"),
            "_ 20090305 070809.012 JOB1 Done. (3)\r\n");
}

TEST(WriteLog, AppendsLinesAndSwallowsUnwritableFiles) {
  cg_test::ScratchDir dir;
  const LocalDateTime fixed = At(2009, 3, 5, 1, 2, 3, 4);
  SetNowForTesting(&fixed);
  WriteLog(dir.File("log~Y~M.txt"), 'X', "J", "one");
  WriteLog(dir.File("log~Y~M.txt"), 'X', "J", "two");
  WriteLog(dir.File("no-such-dir/x.log"), 'X', "J", "lost");
  SetNowForTesting(nullptr);
  EXPECT_EQ(cg_test::ReadFile(dir.File("log0903.txt")),
            "X 20090305 010203.004 J one\r\nX 20090305 010203.004 J two\r\n");
}

TEST(FlagsFile, ReadsBackWhatItWroteAndTreatsJunkAsMissing) {
  cg_test::ScratchDir dir;
  FlagsFile flags(WithTrailingSep(dir.Str()));
  EXPECT_FALSE(flags.Read("nextclean").has_value());
  flags.Write("nextclean", At(2026, 12, 12, 20));
  flags.Write("nextstat", At(2026, 12, 11, 14));
  EXPECT_EQ(flags.Read("nextclean"), At(2026, 12, 12, 20));
  EXPECT_EQ(flags.Read("nextstat"), At(2026, 12, 11, 14));
  cg_test::WriteFile(dir.File("chaffguard.flg"), "[flags]\r\nnextclean=tomorrow\r\n");
  EXPECT_FALSE(flags.Read("nextclean").has_value());
}

TEST(Clock, HourArithmeticCrossesDaysMonthsAndYears) {
  EXPECT_EQ(AddHours(At(2026, 12, 31, 13), 24), At(2027, 1, 1, 13));
  EXPECT_EQ(AddHours(At(2024, 2, 28, 23), 2), At(2024, 2, 29, 1));
  EXPECT_EQ(AddDays(At(2026, 3, 1), -1), At(2026, 2, 28));
  EXPECT_EQ(DateNumber(At(2026, 3, 1)), "20260301");
}

}  // namespace
}  // namespace chaffguard
