#include <gtest/gtest.h>

#include <set>

#include "saveutil.h"
#include "testutil.h"

namespace chaffguard {
namespace {

LocalDateTime At(int y, int mo, int d, int h, int mi, int s, int ms) {
  LocalDateTime t;
  t.year = y; t.month = mo; t.day = d; t.hour = h; t.minute = mi; t.second = s; t.ms = ms;
  return t;
}

TEST(UniqueName, EncodesTheTimeProductAndMillisecondsInEightLetters) {
  // 9*3*5*10*20*30 = 810000, 400 ms -> byte 100.
  EXPECT_EQ(UniqueName(At(2009, 3, 5, 10, 20, 30, 400)), "AAGF2EDE");
  // The product wraps modulo 2^32: 99*12*31*23*59*59 = 2948560164, 999 ms -> 249.
  EXPECT_EQ(UniqueName(At(2099, 12, 31, 23, 59, 59, 999)), "X89ZLKH3");
  EXPECT_EQ(UniqueName(At(2009, 3, 5, 0, 20, 30, 0)), "AAAAAAAA");
}

TEST(CorrectionRequest, IsWrittenAsNewCnmFilesInACreatedDirectory) {
  cg_test::ScratchDir dir;
  const std::string box = dir.File("MAIL/spam");
  std::set<std::string> paths;
  for (int i = 0; i < 3; ++i) {
    std::string p = StoreCorrectionRequest(box, {"Subject: x", "", "body " + std::to_string(i)});
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.substr(p.size() - 4), ".CNM");
    paths.insert(p);
  }
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(cg_test::ReadFile(*paths.begin()).substr(0, 14), "Subject: x\r\n\r\n");
}

TEST(CorrectionRequest, GivesAnEmptyPathWhenNoFileCanBeCreated) {
  cg_test::ScratchDir dir;
  cg_test::WriteFile(dir.File("file"), "x");
  EXPECT_EQ(StoreCorrectionRequest(dir.File("file/sub"), {"a"}), "");
}

}  // namespace
}  // namespace chaffguard
