// Word probabilities, token lookup and the combined score.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "bayes4.h"
#include "bayscore.h"
#include "testutil.h"

namespace chaffguard {
namespace {

TEST(WordProbability, FollowsCountsAndBoost) {
  struct Case { int64_t a, b; int boost; long double want; } cases[] = {
      {0, 0, 2, 0.40L},       {1, 0, 2, 2.0L / 3}, {0, 1, 2, 1.0L / 4}, {3, 3, 2, 4.0L / 11},
      {-5, 1, 2, 1.0L / 4},   {0, 1, 5, 1.0L / 7}, {0, 1, 1, 1.0L / 3}, {3, 0, 2, 0.8L},
      {1, -1, 2, 2.0L / 3},
  };
  Settings s;
  for (const auto& c : cases) {
    s.bayNoSpamBoost = c.boost;
    const long double p = WordProbability(c.a, c.b, s);
    EXPECT_NEAR(static_cast<double>(p), static_cast<double>(c.want), 1e-15) << c.a << "," << c.b;
  }
}

TEST(WordProbability, UnknownTokenInterestUsesTheOffsetConstant) {
  Settings s;
  const long double p = WordProbability(0, 0, s);
  EXPECT_NEAR(static_cast<double>(TokenInterest(p)), 0.099999999999, 1e-15);
  EXPECT_NEAR(static_cast<double>(TokenInterest(0.5L)), 1e-12, 1e-17);
}

TEST(WordProbability, ArithmeticIsExtendedPrecision) {
#if defined(__x86_64__) || defined(__i386__)
  EXPECT_EQ(std::numeric_limits<long double>::digits, 64);
#endif
  EXPECT_GE(std::numeric_limits<long double>::digits, std::numeric_limits<double>::digits);
}

class Lookup : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDatabases(dir.Str());
    db = OpenWordsDb(dir.Str(), false);
    WriteTokenList(*db, {{"seen", 0, 0, 1, 1}, {"spammy", 0, 0, 1, 0}, {"good", 0, 0, 0, 1}}, Now());
  }
  cg_test::ScratchDir dir;
  std::unique_ptr<TSQLiteDatabase> db;
};

TEST_F(Lookup, ScalesStoredCountsByOccurrences) {
  mime::TmwQuickAndDirtyHashStrings list;
  for (const char* k : {"seen", "SEEN", "Seen", "spammy", "good", "never"}) list.AddOccurrence(k, true);
  Settings s;
  LookupTokens(list, *db, s);
  struct Want { const char* key; long double p; int count; bool stored; } wants[] = {
      {"Seen", 4.0L / 11, 3, true}, {"spammy", 2.0L / 3, 1, true}, {"good", 0.25L, 1, true},
      {"never", 0.40L, 1, false}};
  for (const auto& w : wants) {
    const int i = list.IndexOf(w.key);
    ASSERT_GE(i, 0) << w.key;
    EXPECT_EQ(list[i].Count, w.count);
    EXPECT_NEAR(static_cast<double>(list[i].Probability), static_cast<double>(w.p), 1e-15) << w.key;
    EXPECT_NEAR(static_cast<double>(list[i].Interest),
                std::fabs(static_cast<double>(w.p) - 0.499999999999), 1e-15);
    EXPECT_EQ(list[i].DatabaseKey != 0, w.stored) << w.key;
  }
  EXPECT_EQ(list[list.IndexOf("seen")].SpamCount, 1);
}

mime::TmwQuickAndDirtyHashStrings ListOf(const std::vector<long double>& probs) {
  mime::TmwQuickAndDirtyHashStrings list;
  for (std::size_t i = 0; i < probs.size(); ++i) {
    auto& item = list[list.Add("t" + std::to_string(i))];
    item.Probability = probs[i];
    item.Interest = TokenInterest(probs[i]);
  }
  return list;
}

long double Combined(const std::vector<long double>& ps) {
  long double p = 1, q = 1;
  for (long double x : ps) { p *= x; q *= 1 - x; }
  return p / (p + q);
}

TEST(Classify, EmptyListScoresOneAndIsSpam) {
  mime::TmwQuickAndDirtyHashStrings list;
  std::vector<std::string> debug;
  const long double score = Classify(list, 25, &debug);
  EXPECT_EQ(score, 1.0L);
  EXPECT_TRUE(IsSpamScore(score, Settings()));
}

TEST(Classify, OnlyTheMostInterestingTokensCount) {
  std::vector<long double> probs(25, 0.6L);
  for (int i = 0; i < 5; ++i) probs.insert(probs.begin() + i * 3, 0.45L);  // 30 tokens, 5 dull ones
  auto list = ListOf(probs);
  std::vector<std::string> debug;
  const long double score = Classify(list, 25, &debug);
  EXPECT_NEAR(static_cast<double>(score), static_cast<double>(Combined(std::vector<long double>(25, 0.6L))), 1e-15);
  ASSERT_EQ(debug.size(), 26u);
  EXPECT_EQ(debug[0].substr(debug[0].find(' ')), " 0.6000000000000");
  EXPECT_EQ(debug.back(), "... " + FormatFixed(score, 13));

  auto three = ListOf({0.9L, 0.2L, 0.45L});
  EXPECT_NEAR(static_cast<double>(Classify(three, 25, nullptr)),
              static_cast<double>(Combined({0.9L, 0.2L, 0.45L})), 1e-15);
  auto small = ListOf({0.99L, 0.3L, 0.45L, 0.5L, 0.52L, 0.6L});
  EXPECT_NEAR(static_cast<double>(Classify(small, 5, nullptr)),
              static_cast<double>(Combined({0.99L, 0.3L, 0.45L, 0.52L, 0.6L})), 1e-15);
}

TEST(Classify, ThresholdIsExclusive) {
  Settings s;
  auto one = ListOf({WordProbability(3, 0, s)});  // exactly 4/5
  const long double score = Classify(one, 25, nullptr);
  EXPECT_NEAR(static_cast<double>(score), 0.8, 1e-15);
  EXPECT_FALSE(IsSpamScore(score, s));
  EXPECT_FALSE(IsSpamScore(0.8L, s));
  EXPECT_TRUE(IsSpamScore(0.8001L, s));
  s.baySpamProb = 0.53;
  EXPECT_TRUE(IsSpamScore(0.6L, s));
}

}  // namespace
}  // namespace chaffguard
