// Correction batches and address learning driven through the stand-in host:
// requests wait in the correction mailboxes and are trained when the next
// message that needs testing arrives.
#include <gtest/gtest.h>

#include <filesystem>

#include "bayes4.h"
#include "cgtext.h"
#include "hostrun.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using cg_test::ReadFile;
using cg_test::WriteFile;

const char kTrigger[] = "Received: from client (8.8.8.8) by mail\r\nSubject: hello\r\n\r\nordinary words\r\n";
// A request whose only token is "zzzword".
const char kOneToken[] = "Received: from pc (127.0.0.1) by mail\r\n\r\nzzzword\r\n";

class Corrections : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* box : {"MAIL/bob", "MAIL/me", "MAIL/spam", "MAIL/nospam"})
      std::filesystem::create_directories(dir.path() / box);
    data = WithTrailingSep(dir.Str());
    CreateDatabases(data);
    Settings("");
    WriteFile(dir.File("trigger.eml"), kTrigger);
  }
  // The plug-in keeps missing "bayDynamic" keys from its last load, so every
  // settings file names the two this suite changes.
  void Settings(const std::string& extra, int boost = 2, int spam_prob = 80) {
    WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") +
                                              "\r\nSpamAddr=spam@localhost\r\nNoSpamAddr=nospam@localhost\r\n" +
                                              extra + "[bayDynamic]\r\nbayNoSpamBoost=" + std::to_string(boost) +
                                              "\r\nbaySpamProb=" + std::to_string(spam_prob) + "\r\n");
  }
  // Leaves the plug-in's remembered settings at their defaults for later suites.
  void TearDown() override {
    Settings("");
    Trigger();
  }
  cg_test::HostResult Run(const std::string& from, const std::string& to, const std::string& message,
                          const std::string& flags = "0") {
    auto r = cg_test::RunHostHere({"--base", dir.Str(), "--flags", flags, "--from", from, "--to", to,
                                   dir.File(message)}, dir.Str());
    EXPECT_EQ(r.status, 0) << r.err;
    return r;
  }
  cg_test::HostResult Trigger() { return Run("eve@ext.org", "bob@localhost", "trigger.eml"); }
  std::vector<std::string> LogLines() { return cg_test::PluginLogLines(dir.File("cg.log")); }
  bool Logged(const std::string& line) { return cg_test::PluginLogged(dir.File("cg.log"), line); }
  std::string Log() { return ReadFile(dir.File("cg.log")); }
  void Seed(const std::string& word, int64_t spam, int64_t good) {
    auto db = OpenWordsDb(data, true);
    WriteTokenList(*db, {{word, 0, 0, spam, good}}, Now());
  }
  std::pair<int64_t, int64_t> Counts(const std::string& word) {
    auto db = OpenWordsDb(data, true);
    auto row = LookupToken(*db, word);
    return row ? std::make_pair(row->spamcount, row->nospamcount) : std::make_pair(int64_t{-1}, int64_t{-1});
  }
  void List(int kind, const std::string& address) {
    auto db = OpenListDb(data, true);
    AddOrConfirm(*db, kind, address, Now());
  }
  bool Listed(int kind, const std::string& address) {
    auto db = OpenListDb(data, true);
    return IsListed(*db, kind, address);
  }
  size_t Waiting(const std::string& box) {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path() / "MAIL" / box)) n += e.is_regular_file();
    return n;
  }
  cg_test::ScratchDir dir;
  std::string data;
};

TEST_F(Corrections, RequestsAreTrainedUntilTheClassifierAgrees) {
  struct Case {
    const char* name; const char* box; const char* file; int boost, spam_prob; int64_t spam, good;
    std::vector<std::string> lines; std::pair<int64_t, int64_t> after; const char* stat;
  };
  const Case cases[] = {
      {"twelve passes", "spam", "REQ.CNM", 2, 80, 0, 2,
       {"Ccorrections to SPAM", "CREQ.CNM", "Cfrom: ", "CRounds: 21"}, {21, 0}, "missedSPAM=1"},
      {"false positive", "nospam", "req.cnm", 2, 80, 10, 0,
       {"Ccorrections to NoSPAM", "Creq.cnm", "CRounds: 1"}, {10, 1}, "falsePositive=1"},
      {"not needed", "spam", "a.Cnm", 2, 80, 10, 0, {"CNot needed!"}, {12, 0}, "missedSPAM=0"},
      {"not needed, boost 3", "spam", "b.cnm", 3, 80, 10, 0,
       {"CNot needed!"}, {13, 0}, "missedSPAM=0"},
      {"not needed, boost 0", "spam", "c.cnm", 0, 80, 10, 0,
       {"CNot needed!"}, {11, 0}, "missedSPAM=0"},
      {"spam at 100", "spam", "d.cnm", 2, 100, 0, 2,
       {"CRounds: 1", "CStopped after round 1: baySpamProb 100 cannot be reached"}, {1, 2}, "missedSPAM=1"},
      {"good at 0", "nospam", "e.cnm", 2, 0, 2, 0,
       {"CRounds: 1", "CStopped after round 1: baySpamProb 0 cannot be reached"}, {2, 1}, "falsePositive=1"},
  };
  for (const auto& c : cases) {
    SetUp();
    std::filesystem::remove(dir.File("cg.log"));
    std::filesystem::remove(dir.File("words4.db3"));
    std::filesystem::remove(dir.File("spamstat.txt"));
    CreateDatabases(data);
    Settings("", c.boost, c.spam_prob);
    Seed("zzzword", c.spam, c.good);
    WriteFile((dir.path() / "MAIL" / c.box / c.file).string(), kOneToken);
    Trigger();
    for (const auto& l : c.lines) EXPECT_TRUE(Logged(l)) << c.name << ": " << l << "\n" << Log();
    EXPECT_EQ(Counts("zzzword"), c.after) << c.name;
    EXPECT_EQ(Waiting(c.box), 0u) << c.name;
    EXPECT_NE(ReadFile(dir.File("spamstat.txt")).find(c.stat), std::string::npos) << c.name;
  }
}

TEST_F(Corrections, SixtyWaitingRequestsAreWorkedOffAs51Then9) {
  for (int i = 0; i < 60; ++i)
    WriteFile(dir.File("MAIL/nospam/R" + std::to_string(100 + i) + ".CNM"),
              "Received: from pc (127.0.0.1) by mail\r\n\r\nword" + std::to_string(i) + "x\r\n");
  auto trained = [&] {
    size_t n = 0;
    for (const auto& l : LogLines()) n += l.size() > 5 && l[0] == 'C' && l.ends_with(".CNM");
    return n;
  };
  Trigger();
  EXPECT_EQ(Waiting("nospam"), 9u);
  EXPECT_EQ(trained(), 51u);
  Trigger();
  EXPECT_EQ(Waiting("nospam"), 0u);
  EXPECT_EQ(trained(), 60u);
  EXPECT_EQ(Counts("word59x").second, 2);  // "Not needed!" with the default boost
}

TEST_F(Corrections, ForwardedMessagesMoveTheQuotedSenderBetweenTheLists) {
  struct Case { const char* to; int start_kind; const char* settings; std::vector<std::string> lines; int end_kind; };
  const Case cases[] = {
      {"spam@localhost", kWhiteList, "", {"RWH-: spammer@bad.example", "ABL+: spammer@bad.example"}, kBlackList},
      {"nospam@localhost", kBlackList, "", {"AWH+: spammer@bad.example", "RBL-: spammer@bad.example"}, kWhiteList},
      {"spam@localhost", kWhiteList, "IgnoreWhite=1\r\n", {}, kWhiteList},
  };
  WriteFile(dir.File("forward.eml"),
            "Received: from pc (127.0.0.1) by mail\r\nFrom: Me <me@localhost>\r\nSubject: Fwd: offer\r\n\r\n"
            "-------- Forwarded Message --------\r\nFrom: Spammer <Spammer@Bad.example>\r\n"
            "Subject: offer\r\n\r\ncheap pills\r\n");
  for (const auto& c : cases) {
    SetUp();
    std::filesystem::remove(dir.File("cg.log"));
    std::filesystem::remove(dir.File("white4.db3"));
    CreateDatabases(data);
    Settings(c.settings);
    List(c.start_kind, "spammer@bad.example");
    auto stored = Run("me@localhost", c.to, "forward.eml", "0x800");
    EXPECT_NE(stored.out.find("\t1\t"), std::string::npos) << stored.out;
    Trigger();
    for (const auto& l : c.lines) EXPECT_TRUE(Logged(l)) << c.to << ": " << l << "\n" << Log();
    EXPECT_TRUE(Listed(c.end_kind, "spammer@bad.example")) << c.to;
    EXPECT_FALSE(Listed(1 - c.end_kind, "spammer@bad.example")) << c.to;
    EXPECT_FALSE(Listed(kWhiteList, "me@localhost"));
    EXPECT_FALSE(Listed(kBlackList, "me@localhost"));
  }
}

TEST_F(Corrections, BlacklistedExternalRecipientOfALocalSenderIsOnlyLogged) {
  List(kBlackList, "friend@ext.org");
  WriteFile(dir.File("out.eml"), "Received: from pc (127.0.0.1) by mail\r\n\r\nhi\r\n");
  Run("me@localhost", "friend@ext.org", "out.eml", "0x800");
  Run("me@localhost", "other@ext.org", "out.eml", "0x800");
  EXPECT_TRUE(Logged("LBL: friend@ext.org")) << Log();
  EXPECT_FALSE(Logged("AWH+: friend@ext.org"));
  EXPECT_FALSE(Listed(kWhiteList, "friend@ext.org"));
  EXPECT_TRUE(Logged("AWH+: other@ext.org"));
  EXPECT_TRUE(Listed(kWhiteList, "other@ext.org"));
}

TEST_F(Corrections, ErrorInABatchIsLoggedAndWhatWasDoneIsCommitted) {
  Seed("zzzword", 0, 2);
  {
    auto db = OpenWordsDb(data, true);  // the database refuses the token "boom"
    db->ExecSQL("CREATE TRIGGER refuse BEFORE INSERT ON words WHEN NEW.word='boom' "
                "BEGIN SELECT RAISE(ABORT, 'boom refused'); END");
  }
  WriteFile(dir.File("MAIL/spam/a.cnm"), kOneToken);
  WriteFile(dir.File("MAIL/spam/b.cnm"), "Received: from pc (127.0.0.1) by mail\r\n\r\nboom\r\n");
  Trigger();
  bool crash = false;
  for (const auto& l : LogLines()) crash = crash || l.rfind("!Correction: ", 0) == 0;
  EXPECT_TRUE(crash) << Log();
  EXPECT_NE(ReadFile(dir.File("host.log")).find(" - Correction CRASH: "), std::string::npos);
  EXPECT_NE(Log().find("boom refused"), std::string::npos) << Log();
  EXPECT_EQ(Counts("zzzword"), std::make_pair(int64_t{21}, int64_t{0}));  // the first request stays
  EXPECT_TRUE(std::filesystem::exists(dir.File("MAIL/spam/b.cnm")));      // the failed one waits
  EXPECT_EQ(Waiting("spam"), 1u);
  EXPECT_TRUE(Logged("NnoSPAM 0.2286")) << Log();  // the message itself is still classified
}

}  // namespace
}  // namespace chaffguard
