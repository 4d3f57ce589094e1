// Correction requests: address collection, subject tag, the training rounds,
// and whole batches driven through the stand-in host.
#include <gtest/gtest.h>

#include <filesystem>

#include "bayes4.h"
#include "baylearn.h"
#include "bayscore.h"
#include "cgtext.h"
#include "corrections.h"
#include "hostrun.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using cg_test::ReadFile;
using cg_test::WriteFile;

TEST(CorrectionAddresses, HeadersAndQuotedAddressesOfTheFirstLines) {
  std::vector<std::string> lines = {
      "Return-Path: <Bounce@List.example>", "From: Me <me@localhost>", "To: Bob <bob@to.example>",
      "Reply-To:", " \"Spammer\" <Reply@Spam.example>", "Sender: s@x.org", "Resent-From: r@y.org",
      "", "> From: Spammer <Spammer@Bad.example>",
      "a@b no-dot@localhost two@@x.org x@y..org ok!#$%&*+-/\\^_~@z.example.com (w@v.net)"};
  while (lines.size() < 100) lines.push_back("filler text");
  lines.push_back("line100@found.example");
  lines.push_back("line101@missed.example");
  const std::vector<std::string> want = {"bounce@list.example", "me@localhost", "reply@spam.example",
                                         "s@x.org", "r@y.org", "spammer@bad.example",
                                         "ok!#$%&*+-/\\^_~@z.example.com", "w@v.net",
                                         "line100@found.example"};
  EXPECT_EQ(CollectCorrectionAddresses(lines), want);
  EXPECT_TRUE(CollectCorrectionAddresses({}).empty());
  // Without an empty line there is no body to scan.
  EXPECT_EQ(CollectCorrectionAddresses({"From: a@b.org", "c@d.org"}), std::vector<std::string>{"a@b.org"});
}

TEST(CorrectionSubjectTag, FirstBracketedTagOfSubjectLinesIsCut) {
  struct Case { const char* tag; std::vector<std::string> in, out; };
  const Case cases[] = {
      {"SPAM", {"SUBJECT: [SPAM] hi [SPAM]", "subject: [SPAM]x", "X-Subject: [SPAM]", "", "Subject: [SPAM]"},
               {"SUBJECT:  hi [SPAM]", "subject: x", "X-Subject: [SPAM]", "", "Subject: [SPAM]"}},
      {"SPAM", {"Subject: [spam] hi"}, {"Subject: [spam] hi"}},  // the tag's case counts
      {"", {"Subject: [] hi"}, {"Subject: [] hi"}},
  };
  for (const auto& c : cases) {
    auto lines = c.in;
    RemoveSubjectTag(lines, c.tag);
    EXPECT_EQ(lines, c.out) << c.tag;
  }
}

// One token with the given counts, looked up as the lookup leaves it.
mime::TmwQuickAndDirtyHashStrings Token(int32_t spam, int32_t good, const Settings& s) {
  mime::TmwQuickAndDirtyHashStrings list;
  list.Add("word");
  list[0].SpamCount = spam;
  list[0].GoodCount = good;
  list[0].Probability = WordProbability(spam, good, s);
  list[0].Interest = TokenInterest(list[0].Probability);
  return list;
}

TEST(CorrectionRounds, StepsGrowSubtractAfterTenAndUnreachableTargetsStop) {
  struct Case {
    const char* name; int32_t spam, good; bool to_spam; int spam_prob; int max_passes;
    long long rounds; int passes; bool unreachable, capped; int32_t want_spam, want_good;
  };
  const Case cases[] = {
      // Eleven passes of 1, then one of 10 that also subtracts 10 from good.
      {"twelve passes", 0, 2, true, 80, 60, 21, 12, false, false, 21, 0},
      {"towards good", 10, 0, false, 80, 60, 1, 1, false, false, 10, 1},
      {"agrees already", 10, 0, true, 80, 60, 0, 0, false, false, 10, 0},
      {"steps of 100", 0, 400, true, 80, 60, 401, 23, false, false, 401, 10},
      {"steps of 10000", 0, 40000, true, 80, 60, 40001, 41, false, false, 40001, 10},
      {"spam at 100", 0, 2, true, 100, 60, 1, 1, true, false, 1, 2},
      {"good at 0", 2, 0, false, 0, 60, 1, 1, true, false, 2, 1},
      {"good at 100", 2, 0, false, 100, 60, 0, 0, false, false, 2, 0},
      {"pass limit", 0, 2, true, 80, 3, 3, 3, false, true, 3, 2},
  };
  for (const auto& c : cases) {
    Settings s;
    s.baySpamProb = c.spam_prob / 100.0;
    auto list = Token(c.spam, c.good, s);
    const RoundsResult r = TrainUntilAgreed(list, c.to_spam, s, c.max_passes);
    EXPECT_EQ(r.rounds, c.rounds) << c.name;
    EXPECT_EQ(r.passes, c.passes) << c.name;
    EXPECT_EQ(r.unreachable, c.unreachable) << c.name;
    EXPECT_EQ(r.capped, c.capped) << c.name;
    EXPECT_EQ(list[0].SpamCount, c.want_spam) << c.name;
    EXPECT_EQ(list[0].GoodCount, c.want_good) << c.name;
  }
}

TEST(CorrectionFiles, ExtensionInAnyCaseIsFoundAndNothingElse) {
  cg_test::ScratchDir dir;
  for (const char* name : {"B.CNM", "a.cnm", "c.Cnm", "d.cnm.txt", "e.txt", "cnm"}) WriteFile(dir.File(name), "x");
  std::filesystem::create_directories(dir.path() / "f.cnm");
  std::vector<std::string> names;
  for (const auto& p : ListCorrectionFiles(dir.Str())) names.push_back(std::filesystem::path(p).filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"B.CNM", "a.cnm", "c.Cnm"}));
  EXPECT_TRUE(ListCorrectionFiles(dir.File("missing")).empty());
}

}  // namespace
}  // namespace chaffguard
