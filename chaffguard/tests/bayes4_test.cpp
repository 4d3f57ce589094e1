#include <gtest/gtest.h>

#include "bayes4.h"
#include "cgtext.h"
#include "testutil.h"

namespace chaffguard {
namespace {

LocalDateTime Day(int y, int m, int d) {
  LocalDateTime t;
  t.year = y; t.month = m; t.day = d;
  return t;
}

class WordsDb : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDatabases(WithTrailingSep(dir.Str()));
    words = OpenWordsDb(WithTrailingSep(dir.Str()), true);
    list = OpenListDb(WithTrailingSep(dir.Str()), true);
  }
  void Insert(const std::string& w, int s, int g, const LocalDateTime& dt, double prob) {
    words->AddParamText(":w", w);
    words->AddParamInt(":s", s);
    words->AddParamInt(":g", g);
    words->AddParamText(":dt", DateNumber(dt));
    words->AddParamFloat(":p", prob);
    words->ExecSQL("INSERT INTO words (word, spamcount, nospamcount, dt, prob) VALUES (:w, :s, :g, :dt, :p)");
  }
  bool Has(const std::string& w) { return LookupToken(*words, w).has_value(); }

  cg_test::ScratchDir dir;
  std::unique_ptr<TSQLiteDatabase> words, list;
  const LocalDateTime today = Day(2026, 6, 30);
};

TEST_F(WordsDb, WriteInsertsUpdatesHalvesAndDeletesZeroRows) {
  WriteTokenList(*words, {{"s*new", 2, 0, 3, 1}, {"s*big", 1, 0, 1500000, 3}}, today);
  auto n = LookupToken(*words, "s*new");
  ASSERT_TRUE(n);
  EXPECT_EQ(n->spamcount, 3);
  EXPECT_EQ(n->nospamcount, 1);
  auto big = LookupToken(*words, "s*big");
  ASSERT_TRUE(big);
  EXPECT_EQ(big->spamcount, 750000);
  EXPECT_EQ(big->nospamcount, 1);
  words->AddParamInt(":k", n->key);
  EXPECT_EQ(words->GetTableValue("SELECT dt FROM words WHERE key=:k"), 20260630);
  // prob = |(3+1)/(3+1+2) - 0.5|
  words->AddParamInt(":k", n->key);
  auto t = words->GetTable("SELECT prob * 1000000 AS p FROM words WHERE key=:k");
  EXPECT_EQ(t->FieldAsInteger("p"), 166666);
  t.reset();
  WriteTokenList(*words, {{"s*new", 0, n->key, -2, 0}}, today);
  EXPECT_FALSE(Has("s*new"));
  WriteTokenList(*words, {{"s*big", 0, big->key, 10, 20}}, today);
  EXPECT_EQ(LookupToken(*words, "s*big")->nospamcount, 20);
}

TEST_F(WordsDb, TouchRefreshesOnlyStoredTokens) {
  Insert("a", 1, 1, Day(2026, 1, 1), 0.1);
  auto a = LookupToken(*words, "a");
  TouchTokenList(*words, {{"a", 0, a->key, 1, 1}, {"b", 0, 0, 1, 1}}, today);
  words->AddParamInt(":k", a->key);
  EXPECT_EQ(words->GetTableValue("SELECT dt FROM words WHERE key=:k"), 20260630);
  EXPECT_FALSE(Has("b"));
}

TEST_F(WordsDb, NeutralCleaningRemovesOldTokensBelowTwoTenths) {
  Insert("neutral", 3, 3, AddDays(today, -31), 0.1);
  Insert("edge", 3, 3, AddDays(today, -31), 0.2);
  Insert("recent", 3, 3, AddDays(today, -29), 0.1);
  EXPECT_EQ(CleanNeutral(*words, today, 30), 1);
  EXPECT_FALSE(Has("neutral"));
  EXPECT_TRUE(Has("edge"));
  EXPECT_TRUE(Has("recent"));
}

TEST_F(WordsDb, OldCleaningAppliesTheThreeAgeRules) {
  Insert("n19", 10, 9, AddDays(today, -100), 0.4);
  Insert("n20", 10, 10, AddDays(today, -100), 0.4);
  Insert("n20old", 10, 10, AddDays(today, -181), 0.4);
  Insert("n4", 2, 2, AddDays(today, -31), 0.4);
  Insert("n5", 3, 2, AddDays(today, -31), 0.4);
  EXPECT_EQ(CleanOld(*words, today, 180, 30), 3);
  EXPECT_FALSE(Has("n19"));
  EXPECT_TRUE(Has("n20"));
  EXPECT_FALSE(Has("n20old"));
  EXPECT_FALSE(Has("n4"));
  EXPECT_TRUE(Has("n5"));
  EXPECT_EQ(CountWords(*words), 2);
}

TEST_F(WordsDb, ListAddsOnceThenRefreshesAndKeepsKindsApart) {
  EXPECT_TRUE(AddOrConfirm(*list, kWhiteList, "Bob@Example.com", Day(2026, 1, 1)));
  EXPECT_FALSE(AddOrConfirm(*list, kWhiteList, "bob@example.com", today));
  EXPECT_EQ(CountList(*list), 1);
  EXPECT_EQ(list->GetTableValue("SELECT dt FROM white"), 20260630);
  EXPECT_TRUE(IsListed(*list, kWhiteList, "BOB@example.com"));
  EXPECT_FALSE(IsListed(*list, kBlackList, "bob@example.com"));
  EXPECT_FALSE(AddOrConfirm(*list, kWhiteList, "", today));
  EXPECT_FALSE(IsListed(*list, kWhiteList, ""));
  EXPECT_TRUE(AddOrConfirm(*list, kBlackList, "bob@example.com", Day(2026, 1, 1)));
  RemoveListed(*list, kWhiteList, "bob@example.com");
  EXPECT_FALSE(IsListed(*list, kWhiteList, "bob@example.com"));
  EXPECT_EQ(CleanList(*list, today, 30), 1);
  EXPECT_EQ(CountList(*list), 0);
}

}  // namespace
}  // namespace chaffguard
