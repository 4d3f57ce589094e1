#include <gtest/gtest.h>

#include "bayes4.h"
#include "cgtext.h"
#include "clock.h"
#include "inifile.h"
#include "pluglog.h"
#include "stats.h"
#include "testutil.h"

namespace chaffguard {
namespace {

LocalDateTime At(int y, int mo, int d, int h, int mi) {
  LocalDateTime t;
  t.year = y; t.month = mo; t.day = d; t.hour = h; t.minute = mi;
  return t;
}

class Stats : public ::testing::Test {
 protected:
  void SetUp() override {
    data = WithTrailingSep(dir.Str());
    DbSizes() = DbSizeCounts{};
    SetNowForTesting(&now);
  }
  void TearDown() override {
    SetNowForTesting(nullptr);
    DbSizes() = DbSizeCounts{};
  }
  std::string Key(const char* file, const char* key) {
    TIniFile ini;
    ini.Load(JoinPath(data, file));
    return ini.ReadString("stat", key, "<missing>");
  }
  cg_test::ScratchDir dir;
  std::string data;
  LocalDateTime now = At(2026, 12, 11, 13, 40);
};

TEST_F(Stats, EventsUpdateBothFilesWithTotalsAndPercentages) {
  CountEvent(data, "Chaffguard 1.0", kStatSpam);
  CountEvent(data, "Chaffguard 1.0", kStatNoSpam);
  CountEvent(data, "Chaffguard 1.0", kStatWhitelisted);
  CountEvent(data, "Chaffguard 1.0", kStatNoSpam);
  for (const char* f : {kStatAllFile, kStatPeriodFile}) {
    EXPECT_EQ(Key(f, "version"), "Chaffguard 1.0");
    EXPECT_EQ(Key(f, "from"), "2026-12-11 13:40:00");
    EXPECT_EQ(Key(f, "all"), "3");
    EXPECT_EQ(Key(f, "spampercent"), "33.33%");
    EXPECT_EQ(Key(f, "whitelistpercent"), "33.33%");
    EXPECT_EQ(Key(f, "missedRate"), "0.0000%");
    EXPECT_EQ(Key(f, "viruspercent"), "<missing>");
    EXPECT_EQ(Key(f, "blockedpercent"), "<missing>");
    EXPECT_EQ(Key(f, "WordSize"), "<missing>");
  }
  CountEvent(data, "v", kStatVirus);
  CountEvent(data, "v", kStatBlockedSpam);
  EXPECT_EQ(Key(kStatAllFile, "viruspercent"), "25.00%");
  EXPECT_EQ(Key(kStatAllFile, "unwantedpercent"), "50.00%");
  EXPECT_EQ(Key(kStatAllFile, "blockedpercent"), "100.00%");
}

TEST_F(Stats, PeriodCheckWritesTheCsvRowSchedulesAndStartsANewPeriod) {
  CreateDatabases(data);
  CountEvent(data, "v", kStatSpam);
  {
    auto list = OpenListDb(data, true);
    AddOrConfirm(*list, kWhiteList, "a@b.c", now);
  }
  EXPECT_TRUE(PeriodCheck(data, "v", 24, true));
  // With StatRate 24 and a check at 13:40 the next row is due tomorrow at 13:00.
  EXPECT_EQ(FlagsFile(data).Read("nextstat"), At(2026, 12, 12, 13, 0));
  EXPECT_EQ(cg_test::ReadFile(dir.File(kStatCsvFile)),
            "datetime;all;spam;nospam;whitelist;blockedspam;virus;missed;falsepositive;wordsize;"
            "whitesize\r\n2026-12-11 13:40:00;1;1;0;0;0;0;0;0;0;1\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File(kStatPeriodFile)));
  EXPECT_FALSE(PeriodCheck(data, "v", 24, true));  // not due yet

  now = At(2026, 12, 12, 9, 5);
  SetNowForTesting(&now);
  CountEvent(data, "v", kStatNoSpam);
  EXPECT_EQ(Key(kStatPeriodFile, "from"), "2026-12-12 09:05:00");
  EXPECT_EQ(Key(kStatPeriodFile, "WhiteSize"), "1");
  EXPECT_EQ(Key(kStatAllFile, "all"), "2");
}

TEST_F(Stats, SpamPerRecipientCountsWithoutRegardToCase) {
  CountSpamForRecipient(data, "bob@x.org");
  CountSpamForRecipient(data, "BOB@x.org");
  CountSpamForRecipient(data, "eve@x.org");
  EXPECT_EQ(cg_test::ReadFile(dir.File(kSpamTrackFile)), "bob@x.org=2\r\neve@x.org=1\r\n");
}

}  // namespace
}  // namespace chaffguard
