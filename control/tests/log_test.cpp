#include <gtest/gtest.h>

#include "config.h"
#include "fakes.h"
#include "log.h"

namespace {

using namespace control;
using control_test::LogEntry;
using control_test::RecordingLog;

class LogFilter : public ::testing::Test {
 protected:
  void TearDown() override { Config() = tConfig{}; }
  std::vector<tLogType> Shown(bool show_debug, int level) {
    RecordingLog log;
    Config().ShowDebug = show_debug;
    Config().DebugLevel = level;
    for (tLogType t : {ltDefault, ltInfo, ltError, ltDebug, ltDebugDetails}) AddLog("main", "x", t);
    std::vector<tLogType> types;
    for (const auto& l : log.lines) types.push_back(l.type);
    return types;
  }
};

TEST_F(LogFilter, DebugLinesFollowShowDebugAndDebugLevel) {
  EXPECT_EQ(Shown(false, 0), (std::vector<tLogType>{ltDefault, ltInfo, ltError}));
  EXPECT_EQ(Shown(false, 1), (std::vector<tLogType>{ltDefault, ltInfo, ltError}));
  EXPECT_EQ(Shown(true, 0), (std::vector<tLogType>{ltDefault, ltInfo, ltError, ltDebug}));
  EXPECT_EQ(Shown(true, 1), (std::vector<tLogType>{ltDefault, ltInfo, ltError, ltDebug, ltDebugDetails}));
}

TEST_F(LogFilter, LineReachesTheSinkWithTagTextAndType) {
  RecordingLog log;
  AddLog("Apache", "检测到状态变化: Running", ltInfo);
  EXPECT_EQ(log.lines, (std::vector<LogEntry>{{"Apache", "检测到状态变化: Running", ltInfo}}));
}

TEST(LogLayout, LineIsFiveColouredRuns) {
  std::vector<LogRun> expected{
      {"12:34:56  ", kGrey}, {"[", kBlack}, {"Tools", kBlue}, {"] \t", kBlack}, {"boom\r", kRed}};
  EXPECT_EQ(LogLineRuns("12:34:56", "Tools", "boom", ltError), expected);
}

TEST(LogLayout, TextColourFollowsTheType) {
  EXPECT_EQ(LogTypeColour(ltDefault), kBlack);
  EXPECT_EQ(LogTypeColour(ltInfo), (Rgb{0, 0, 255}));
  EXPECT_EQ(LogTypeColour(ltError), (Rgb{255, 0, 0}));
  EXPECT_EQ(LogTypeColour(ltDebug), (Rgb{128, 128, 128}));
  EXPECT_EQ(LogTypeColour(ltDebugDetails), (Rgb{192, 192, 192}));
}

}  // namespace
