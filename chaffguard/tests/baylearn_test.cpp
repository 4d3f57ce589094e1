// Training and recomputing token lists, learning from verdicts and the write
// lock held from look-up to write.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "baylearn.h"
#include "bayscore.h"
#include "cgtext.h"
#include "hostrun.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using cg_test::WriteFile;

mime::TmwQuickAndDirtyHashStrings OneToken(int32_t count, int32_t spam, int32_t good) {
  mime::TmwQuickAndDirtyHashStrings list;
  const int i = list.Add("word");
  list[i].Count = count;
  list[i].SpamCount = spam;
  list[i].GoodCount = good;
  return list;
}

TEST(TrainTokens, TargetGrowsByAmountTimesCountAndTheOtherShrinksOnlyWhenSubtracting) {
  struct Case { int32_t count, spam, good; bool to_spam; long long amount; bool subtract; int32_t want_spam, want_good; };
  const Case cases[] = {
      {1, 2, 3, true, 1, false, 3, 3},
      {3, 2, 3, false, 10, false, 2, 33},
      {3, 2, 3, false, 10, true, -28, 33},      // negative until recomputed
      {2, 5, 50, true, 100, true, 205, -150},
      {2, INT32_MAX - 1, 0, true, 10000, false, INT32_MAX, 0},  // saturates, never wraps
      {INT32_MAX, 0, INT32_MIN + 1, true, 10000, true, INT32_MAX, INT32_MIN},
  };
  for (const auto& c : cases) {
    auto list = OneToken(c.count, c.spam, c.good);
    TrainTokens(list, c.to_spam, c.amount, c.subtract);
    EXPECT_EQ(list[0].SpamCount, c.want_spam) << c.count << " " << c.spam << " " << c.good;
    EXPECT_EQ(list[0].GoodCount, c.want_good) << c.count << " " << c.spam << " " << c.good;
  }
}

TEST(RecomputeTokens, ClampsHalvesAndScoresWithoutTheItemsCount) {
  struct Case { int32_t count, spam, good, want_spam, want_good; long double want_p; };
  const Case cases[] = {
      {3, 1, 1, 1, 1, 2.0L / 5},                  // F(1, 1) = 2/5, not F(3, 3) = 4/11
      {1, -5, 2, 0, 2, 1.0L / 6},                 // negative spam count becomes 0
      {1, 0, 0, 0, 0, 0.40L},                     // nothing known: bayUnknownProb
      {1, 1500000, 3, 750000, 1, 750001.0L / 750004},
      {1, 1000000, 2000001, 500000, 1000000, 500001.0L / 2500002},
      {1, 1000000, 1000000, 1000000, 1000000, 1000001.0L / 3000002},  // not above the limit
  };
  Settings s;
  for (const auto& c : cases) {
    auto list = OneToken(c.count, c.spam, c.good);
    RecomputeTokens(list, s);
    EXPECT_EQ(list[0].SpamCount, c.want_spam);
    EXPECT_EQ(list[0].GoodCount, c.want_good);
    EXPECT_NEAR(static_cast<double>(list[0].Probability), static_cast<double>(c.want_p), 1e-15);
    EXPECT_NEAR(static_cast<double>(list[0].Interest),
                static_cast<double>(std::fabs(c.want_p - kNeutralProbability)), 1e-15);
  }
}

class Learning : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }
  // A new words database holding "known" (4 spam, 1 good), and the list looked up.
  void Fresh() {
    words.reset();
    data = WithTrailingSep(dir.Str());
    std::filesystem::remove(dir.File("words4.db3"));
    CreateDatabases(data);
    words = OpenWordsDb(data, true);
    WriteTokenList(*words, {{"known", 0, 0, 4, 1}}, old_day);
    LookupTokens(list, *words, s);
  }
  // (spam, good, dt) of a stored token, or -1s when missing.
  std::tuple<int64_t, int64_t, int64_t> Row(const std::string& w) {
    auto r = LookupToken(*words, w);
    if (!r) return {-1, -1, -1};
    words->AddParamInt(":k", r->key);
    return {r->spamcount, r->nospamcount, words->GetTableValue("SELECT dt FROM words WHERE key=:k")};
  }
  mime::TmwQuickAndDirtyHashStrings MakeList() {
    mime::TmwQuickAndDirtyHashStrings l;
    l.AddOccurrence("known", true);
    l.AddOccurrence("fresh", true);
    l.AddOccurrence("fresh", true);
    return l;
  }
  cg_test::ScratchDir dir;
  std::string data;
  std::unique_ptr<TSQLiteDatabase> words;
  Settings s;
  const LocalDateTime old_day{2026, 1, 2};
  const LocalDateTime today{2026, 6, 30};
  mime::TmwQuickAndDirtyHashStrings list = MakeList();
};

TEST_F(Learning, TrainAlwaysWritesTheListWithTheVerdictAsTarget) {
  struct Case { bool spam; std::tuple<int64_t, int64_t, int64_t> known, fresh; };
  const Case cases[] = {{true, {5, 1, 20260630}, {2, 0, 20260630}},
                        {false, {4, 2, 20260630}, {0, 2, 20260630}}};
  for (const auto& c : cases) {
    Fresh();
    LearnFromVerdict(list, c.spam, *words, s, today);
    EXPECT_EQ(Row("known"), c.known) << c.spam;
    EXPECT_EQ(Row("fresh"), c.fresh) << c.spam;
  }
}

TEST_F(Learning, TrainOnErrorsOnlyRefreshesTheDatesOfStoredTokens) {
  s.TrainAlways = false;
  LearnFromVerdict(list, true, *words, s, today);
  EXPECT_EQ(Row("known"), std::make_tuple(int64_t{4}, int64_t{1}, int64_t{20260630}));
  EXPECT_EQ(Row("fresh"), std::make_tuple(int64_t{-1}, int64_t{-1}, int64_t{-1}));
}

TEST_F(Learning, WriteGroupKeepsOtherWritersOutUntilCommitted) {
  auto other = OpenWordsDb(data, true);
  other->SetTimeout(50);
  WriteGroup group(*words);
  EXPECT_THROW(other->ExecSQL("UPDATE words SET spamcount=99"), ESQLiteException);
  LearnFromVerdict(list, true, *words, s, today);  // its savepoint nests inside
  group.Commit();
  EXPECT_NO_THROW(other->ExecSQL("UPDATE words SET dt=1 WHERE word='nothing'"));
  EXPECT_FALSE(words->InTransaction());
  EXPECT_EQ(std::get<0>(Row("known")), 5);
}

// The verdict is learnt through the plug-in, except in test-only mode.
TEST(LearningThroughHost, VerdictIsLearntOutsideTestOnlyMode) {
  struct Case { const char* to; const char* settings; int64_t want_good; };
  const Case cases[] = {{"bob@localhost", "", 1},
                        {"bob+spamtest@localhost", "", -1},
                        {"bob@localhost", "TrainAlways=0\r\n", -1}};
  for (const auto& c : cases) {
    cg_test::ScratchDir dir;
    std::filesystem::create_directories(dir.path() / "MAIL/bob");
    WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") +
                                              "\r\nSpamAddr=spam@localhost\r\nNoSpamAddr=nospam@localhost\r\n" +
                                              c.settings);
    WriteFile(dir.File("in.eml"), "Received: from client (8.8.8.8) by mail\r\nSubject: hello\r\n\r\n"
                                  "ordinary words here\r\n");
    auto r = cg_test::RunHostHere({"--base", dir.Str(), "--from", "eve@ext.org", "--to", c.to, dir.File("in.eml")},
                                  dir.Str());
    ASSERT_EQ(r.status, 0) << r.err;
    auto words = OpenWordsDb(WithTrailingSep(dir.Str()), true);
    auto row = LookupToken(*words, "ordinary");
    EXPECT_EQ(row ? row->nospamcount : -1, c.want_good) << c.to << " " << c.settings;
    EXPECT_EQ(row ? row->spamcount : -1, c.want_good < 0 ? -1 : 0);
    EXPECT_EQ(LookupToken(*words, "su*hello").has_value(), c.want_good > 0);
  }
}

// A message whose learning rewrites hundreds of stored pages: the whole
// journal (far more than one write of the file layer) and the commit succeed.
TEST(LearningThroughHost, ALargeMessageIsLearntInOneCommit) {
  cg_test::ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "MAIL/bob");
  WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") +
                                            "\r\n[bayStatic]\r\nbayMaxLength=400000\r\n");
  std::string body;
  for (int i = 0; i < 6000; ++i) {
    std::string w = "wx";
    for (int n = i; n > 0 || w.size() == 2; n /= 26) w += static_cast<char>('a' + n % 26);
    body += w + (i % 10 == 9 ? "\r\n" : " ");
  }
  WriteFile(dir.File("in.eml"), "Received: from client (8.8.8.8) by mail\r\nSubject: many\r\n\r\n" + body);
  for (int round = 1; round <= 2; ++round) {
    auto r = cg_test::RunHostHere({"--base", dir.Str(), "--from", "eve@ext.org", "--to", "bob@localhost",
                                   dir.File("in.eml")},
                                  dir.Str());
    ASSERT_EQ(r.status, 0) << r.err;
  }
  for (const auto& line : cg_test::PluginLogLines(dir.File("cg.log"))) EXPECT_NE(line[0], '!') << line;
  auto words = OpenWordsDb(WithTrailingSep(dir.Str()), true);
  EXPECT_GE(CountWords(*words), 6000);
  for (const char* w : {"wxa", "wxbkd", "wxzri"}) {
    auto row = LookupToken(*words, w);
    EXPECT_EQ(row ? row->nospamcount : -1, 2) << w;
  }
}

}  // namespace
}  // namespace chaffguard
