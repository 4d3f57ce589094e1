#include <gtest/gtest.h>

#include "cgtext.h"
#include "settings.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using cg_test::ReadLines;
using cg_test::ScratchDir;
using cg_test::WriteFile;

TEST(Settings, MissingFileGivesEveryDefault) {
  ScratchDir dir;
  Settings s;
  s.Enabled = true;
  s.bayNoSpamBoost = 9;
  LoadSettings(s, dir.Str(), "", "", false);
  const Settings d;
  EXPECT_FALSE(s.Enabled);
  EXPECT_EQ(s.LogFile, "chaffguard.log");
  EXPECT_EQ(s.TagName, "X-CHAFFGUARD");
  EXPECT_EQ(s.LocalIP, "127.0.0.1/8");
  EXPECT_EQ(s.VirusTag, "attach removed");
  EXPECT_EQ(s.bayDataDir, WithTrailingSep(dir.Str()));
  EXPECT_EQ(s.CleanTime, 20);
  EXPECT_TRUE(s.TrainAlways);
  EXPECT_TRUE(s.ImageParser);
  EXPECT_DOUBLE_EQ(s.baySpamProb, 0.80);
  EXPECT_DOUBLE_EQ(s.bayUnknownProb, 0.40);
  EXPECT_EQ(s.bayMaxTokenLength, 20);
  // A bayDynamic key keeps what memory held, even without any file.
  EXPECT_EQ(s.bayNoSpamBoost, 9);
}

TEST(Settings, StoresEveryKeyInTableOrder) {
  ScratchDir dir;
  Settings s;
  s.bayDataDir = WithTrailingSep(dir.Str());
  StoreSettings(s, dir.Str(), "cgx");
  const std::vector<std::string> want = {
      "[chaffguard]", "Enabled=0", "LogFile=chaffguard.log", "TagName=X-CHAFFGUARD", "Queue=",
      "Debug=0", "BayDebug=0", "SpamAddr=spam", "NoSpamAddr=nospam", "LocalIP=127.0.0.1/8",
      "DynamicHost=", "Password=", "BlockTag=", "VirusTag=attach removed",
      "bayDataDir=" + s.bayDataDir, "Subject=", "LogPestGate=0", "SpamTrack=0", "TrainAlways=1",
      "IgnoreWhite=0", "WhitelistText=Whitelisted", "BlockText=Blocked SPAM!",
      "DebugText=Debug -", "ProbText=probability -", "SpamText=SPAM detected!", "HoneyPot=",
      "CleanTime=20", "StatRate=1", "ImageParser=1", "", "[bayDynamic]", "bayNoSpamBoost=2",
      "bayClasifyMaxTokens=25", "bayMaxCorrCnt=50", "bayUnknownProb=40", "baySpamProb=80",
      "bayOldDays=30", "bayExpire=180", "bayWhiteOldDays=30", "bayForcedWrites=1",
      "CustomHeaders=", "", "[bayStatic]", "bayMaxLength=8192", "bayMinTokenLength=3",
      "bayMaxTokenLength=20"};
  EXPECT_EQ(ReadLines(dir.File("cgx.ini")), want);
}

TEST(Settings, PercentageIsHeldAsFractionAndStoredBackUnchanged) {
  ScratchDir dir;
  WriteFile(dir.File("chaffguard.ini"), "[bayDynamic]\r\nbaySpamProb=53\r\n");
  Settings s;
  LoadSettings(s, dir.Str(), "chaffguard", "", false);
  EXPECT_DOUBLE_EQ(s.baySpamProb, 0.53);
  StoreSettings(s, dir.Str(), "chaffguard");
  Settings again;
  LoadSettings(again, dir.Str(), "chaffguard", "", false);
  EXPECT_DOUBLE_EQ(again.baySpamProb, 0.53);
  bool found = false;
  for (const auto& l : ReadLines(dir.File("chaffguard.ini"))) found |= l == "baySpamProb=53";
  EXPECT_TRUE(found);
}

TEST(Settings, MissingTuningKeysKeepTheLastLoadedValueExceptTheBatchLimit) {
  ScratchDir dir;
  Settings s;
  WriteFile(dir.File("chaffguard.ini"),
            "[chaffguard]\r\nEnabled=1\r\n[bayDynamic]\r\nbayNoSpamBoost=7\r\nbayMaxCorrCnt=5\r\n"
            "[bayStatic]\r\nbayMinTokenLength=4\r\n");
  LoadSettings(s, dir.Str(), "", "", false);
  EXPECT_EQ(s.bayNoSpamBoost, 7);
  EXPECT_EQ(s.bayMaxCorrCnt, 5);
  WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=1\r\n");
  LoadSettings(s, dir.Str(), "", "", false);
  EXPECT_EQ(s.bayNoSpamBoost, 7);
  EXPECT_EQ(s.bayMinTokenLength, 4);
  EXPECT_EQ(s.bayMaxCorrCnt, 50);
  EXPECT_TRUE(s.Enabled);
}

TEST(Settings, FirstLoadWithoutTuningSectionGivesDefaults) {
  ScratchDir dir;
  WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=1\r\n");
  Settings s;
  LoadSettings(s, dir.Str(), "", "", false);
  EXPECT_EQ(s.bayNoSpamBoost, 2);
  EXPECT_EQ(s.bayMaxCorrCnt, 50);
}

TEST(Settings, BooleansAreIntegersAndJunkGivesTheDefault) {
  ScratchDir dir;
  WriteFile(dir.File("chaffguard.ini"),
            "[CHAFFGUARD]\r\nenabled=2\r\nTrainAlways=0\r\nCleanTime=abc\r\nDebug=yes\r\n");
  Settings s;
  LoadSettings(s, dir.Str(), "", "", false);
  EXPECT_TRUE(s.Enabled);
  EXPECT_FALSE(s.TrainAlways);
  EXPECT_EQ(s.CleanTime, 20);
  EXPECT_FALSE(s.Debug);
}

TEST(DefaultQueue, HostValueThenServerIniForOldHostsThenBaseQueue) {
  ScratchDir dir;
  WriteFile(dir.File("corvane.ini"), "[x]\r\nfoo=1\r\nMailQueue : C:\\q\\  # old\r\nMAILQUEUE: no\r\n");
  EXPECT_EQ(DefaultQueueDir(dir.Str(), "/host/q", true), "/host/q");
  EXPECT_EQ(DefaultQueueDir(dir.Str(), "", true), "C:\\q\\");
  EXPECT_EQ(DefaultQueueDir(dir.Str(), "", false), JoinPath(dir.Str(), "QUEUE"));
  ScratchDir empty;
  EXPECT_EQ(DefaultQueueDir(empty.Str(), "", true), JoinPath(empty.Str(), "QUEUE"));
}

}  // namespace
}  // namespace chaffguard
