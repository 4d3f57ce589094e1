// The verdict's rules through the stand-in host: test-only mode, honeypot,
// faked sender, blacklist, whitelists (database and cgwhite.txt) and the
// blocked header, each checked by its log lines, the header lines inserted at
// the top of the message (in their order) and the statistics counted.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bayes4.h"
#include "clock.h"
#include "hostrun.h"
#include "image_fixtures.h"
#include "inifile.h"
#include "mwQuickAndDirtyHashStrings.h"
#include "mystrlist.h"
#include "stats.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using cg_test::ReadFile;
using cg_test::WriteFile;

const char kReceived[] = "Received: from client (8.8.8.8) by mail.example.com\r\n";
const char kPlain[] = "From: Eve <eve@ext.org>\r\nSubject: hello\r\n\r\nbody text\r\n";
const char kPassed[] = "X-CHAFFGUARD: Passed through antiSPAM test by Chaffguard ";
// Six tokens never seen: 0.4^6 / (0.4^6 + 0.6^6).
const char kUnknownProb[] = "X-CHAFFGUARD: probability - 8.1%";
const char kSureProb[] = "X-CHAFFGUARD: probability - 100.0%";
const char kZeroProb[] = "X-CHAFFGUARD: probability - 0.0%";
const char kSpamLine[] = "X-CHAFFGUARD: SPAM detected!";
const char kBlockedLine[] = "X-CHAFFGUARD: Blocked SPAM!";
const char kWhiteLine[] = "X-CHAFFGUARD: Whitelisted";

class Rules : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.path() / "MAIL/bob");
    CreateDatabases(dir.Str());
  }
  void List(int kind, const std::string& address) {
    auto db = OpenListDb(dir.Str(), false);
    AddOrConfirm(*db, kind, address, Now());
  }
  // Runs one message; fills `lines` (the job file) and `text`.
  void Run(const std::string& settings, const std::string& message, const std::vector<std::string>& to,
           const std::string& from = "eve@ext.org") {
    WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") +
                                              "\r\nSpamAddr=spam@localhost\r\nNoSpamAddr=nospam@localhost\r\n" +
                                              settings);
    WriteFile(dir.File("in.eml"), message);
    std::vector<std::string> args = {"--base", dir.Str(), "--from", from};
    for (const auto& t : to) {
      args.push_back("--to");
      args.push_back(t);
    }
    args.push_back(dir.File("in.eml"));
    const auto r = cg_test::RunHostHere(args, dir.Str());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string line = r.out.substr(0, r.out.find('\n'));
    text = ReadFile(line.substr(line.rfind('\t') + 1));
    TMyStringList l;
    l.SetText(text);
    lines = l.lines;
  }
  std::vector<std::string> LogLines() { return cg_test::PluginLogLines(dir.File("cg.log")); }
  bool Logged(const std::string& type_and_text) {
    return cg_test::PluginLogged(dir.File("cg.log"), type_and_text);
  }
  std::string Stat(const char* key) {
    TIniFile ini;
    ini.Load(dir.File(kStatAllFile));
    return ini.ReadString("stat", key, "0");
  }
  // The verdict lines inserted at the top: the lines before the first one
  // the message arrived with.
  std::vector<std::string> TopLines() {
    std::vector<std::string> top;
    for (const auto& l : lines) {
      if (!l.starts_with("X-CHAFFGUARD: ")) break;
      top.push_back(l.starts_with(kPassed) ? kPassed : l);
    }
    return top;
  }
  cg_test::ScratchDir dir;
  std::string text;
  std::vector<std::string> lines;
};

struct RuleCase {
  const char* what;
  std::string settings;
  std::string headers;  // after the Received line, before the body
  std::vector<std::string> to;
  std::string cgwhite;                        // cgwhite.txt, none when empty
  std::vector<std::string> black, white;      // list database entries
  std::vector<std::string> top;               // verdict lines, top first
  std::vector<std::string> logged, not_logged;
  std::map<std::string, std::string> stats;   // spamstat.txt counters
};

TEST_F(Rules, EachRuleLogsMarksAndCountsAsItShould) {
  const std::string from_eve = "From: Eve <eve@ext.org>\r\nSubject: hello\r\n";
  const std::vector<std::string> bob = {"bob@localhost"};
  const RuleCase cases[] = {
      {"honeypot recipient", "HoneyPot=trap@localhost,other@localhost\r\n", from_eve,
       {"bob@localhost", "Trap@localhost"}, "", {}, {},
       {kPassed, kSureProb, kSpamLine},
       {"Hmatch HoneyPot!", "SSPAM! 1.0000"}, {"TTesting only!"},
       {{"spam", "1"}, {"nospam", "0"}, {"blockedSPAM", "0"}}},
      {"honeypot beats the whitelist", "HoneyPot=trap@localhost\r\n", from_eve, {"trap@localhost"},
       "*@ext.org\r\n", {}, {"eve@ext.org"},
       {kPassed, kSureProb, kSpamLine},
       {"Hmatch HoneyPot!"}, {"Wis on WH..."},
       {{"spam", "1"}, {"whitelisted", "0"}}},
      {"faked From address", "", "From: Ghost <ghost@localhost>\r\nSubject: hello\r\n", bob, "", {}, {},
       {kPassed, kSureProb, kSpamLine},
       {"Ffaked sender ghost@localhost", "SSPAM! 1.0000"}, {},
       {{"spam", "1"}}},
      {"the Sender address is checked before the From address", "",
       "From: <first@localhost>\r\nSender: <second@localhost>\r\nSubject: hello\r\n", bob, "", {}, {},
       {kPassed, kSureProb, kSpamLine},
       {"Ffaked sender second@localhost"}, {"Ffaked sender first@localhost"},
       {{"spam", "1"}}},
      {"blacklisted sender is classified although whitelisted too", "", from_eve, bob, "", {"eve@ext.org"},
       {"eve@ext.org"},
       {kPassed, kUnknownProb},
       {"LIs on BL...", "NnoSPAM 0.0807"}, {"Wis on WH..."},
       {{"nospam", "1"}, {"whitelisted", "0"}}},
      {"blacklisted From address", "", from_eve, bob, "", {"eve@ext.org"}, {},
       {kPassed, kUnknownProb},
       {"LIs on BL..."}, {},
       {{"nospam", "1"}}},
      {"whitelisted in the database", "", from_eve, bob, "", {}, {"eve@ext.org"},
       {kPassed, kZeroProb, kWhiteLine},
       {"Wis on WH...", "NnoSPAM 0.0000"}, {"Wis on cgwhite.txt"},
       {{"nospam", "1"}, {"whitelisted", "1"}, {"spam", "0"}}},
      {"whitelist text empty", "WhitelistText=\r\n", from_eve, bob, "", {}, {"eve@ext.org"},
       {kPassed, kZeroProb},
       {"Wis on WH..."}, {},
       {{"whitelisted", "1"}}},
      {"cgwhite.txt whitelists a blacklisted sender", "", from_eve, bob, "*@EXT.org\r\n", {"eve@ext.org"}, {},
       {kPassed, kZeroProb, kWhiteLine},
       {"LIs on BL...", "Wis on cgwhite.txt", "Wis on WH..."}, {},
       {{"whitelisted", "1"}, {"nospam", "1"}}},
      {"cgwhite.txt applies with IgnoreWhite on, the database does not", "IgnoreWhite=1\r\n", from_eve, bob,
       "eve@*\r\n", {"eve@ext.org"}, {},
       {kPassed, kZeroProb, kWhiteLine},
       {"Wis on cgwhite.txt", "Wis on WH..."}, {"LIs on BL..."},
       {{"whitelisted", "1"}}},
      {"IgnoreWhite on skips the whitelist database", "IgnoreWhite=1\r\n", from_eve, bob, "", {},
       {"eve@ext.org"},
       {kPassed, kUnknownProb},
       {"NnoSPAM 0.0807"}, {"Wis on WH..."},
       {{"whitelisted", "0"}, {"nospam", "1"}}},
      {"blocked header beats the whitelist", "BlockTag=x-bulk,x-mass\r\n",
       from_eve + "X-Mass-Mail: yes\r\n", bob, "*@ext.org\r\n", {}, {},
       {kPassed, kSureProb, kSpamLine, kBlockedLine},
       {"Wis on cgwhite.txt", "Bis on SMTP blacklist...", "SSPAM! 1.0000"}, {"Wis on WH..."},
       {{"spam", "1"}, {"blockedSPAM", "1"}, {"whitelisted", "0"}}},
      {"blocked header, block text empty", "BlockTag=x-bulk\r\nBlockText=\r\n", from_eve + "X-Bulk: 1\r\n", bob,
       "", {}, {},
       {kPassed, kSureProb, kSpamLine},
       {"Bis on SMTP blacklist..."}, {},
       {{"spam", "1"}, {"blockedSPAM", "1"}}},
      {"blocked before honeypot before faked", "BlockTag=x-bulk\r\nHoneyPot=trap@localhost\r\n",
       "From: <ghost@localhost>\r\nX-Bulk: 1\r\n", {"trap@localhost"}, "", {}, {},
       {kPassed, kSureProb, kSpamLine, kBlockedLine},
       {"Bis on SMTP blacklist..."}, {"Hmatch HoneyPot!", "Ffaked sender ghost@localhost"},
       {{"spam", "1"}, {"blockedSPAM", "1"}}},
      {"test-only mode classifies a whitelisted, blocked honeypot message from a faked sender",
       "BlockTag=x-bulk\r\nHoneyPot=trap@localhost\r\n", "From: <ghost@localhost>\r\nX-Bulk: 1\r\nSubject: hi\r\n",
       {"bob+spamtest@localhost", "trap@localhost"}, "*@ext.org\r\n", {}, {},
       {kPassed, "X-CHAFFGUARD: probability - 16.5%"},  // four unknown tokens
       {"TTesting only!", "Wis on cgwhite.txt", "NnoSPAM 0.1649"},
       {"Wis on WH...", "Bis on SMTP blacklist...", "Hmatch HoneyPot!", "Ffaked sender ghost@localhost"},
       {{"all", "0"}, {"spam", "0"}, {"nospam", "0"}, {"whitelisted", "0"}}},
      {"test-only mode with a sender whitelisted in the database", "", from_eve, {"bob+spamtest@localhost"}, "",
       {}, {"eve@ext.org"},
       {kPassed, kUnknownProb},
       {"TTesting only!", "NnoSPAM 0.0807"}, {"Wis on WH..."},
       {{"all", "0"}, {"whitelisted", "0"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(dir.File("cg.log"));
    std::filesystem::remove(dir.File(kStatAllFile));
    std::filesystem::remove(dir.File("cgwhite.txt"));
    // Every case starts from empty databases: verdicts of earlier cases are learnt.
    std::filesystem::remove(dir.File(kListDbName));
    std::filesystem::remove(dir.File(kWordsDbName));
    CreateDatabases(dir.Str());
    if (!c.cgwhite.empty()) WriteFile(dir.File("cgwhite.txt"), c.cgwhite);
    for (const auto& a : c.black) List(kBlackList, a);
    for (const auto& a : c.white) List(kWhiteList, a);
    const std::string message = std::string(kReceived) + c.headers + "\r\nbody text\r\n";
    Run(c.settings, message, c.to);
    EXPECT_EQ(TopLines(), c.top) << text;
    // Below the verdict lines: the message as it arrived (tagging and receipt
    // removal are off here).
    EXPECT_TRUE(text.ends_with(message)) << text;
    for (const auto& l : c.logged) EXPECT_TRUE(Logged(l)) << l << "\n" << ReadFile(dir.File("cg.log"));
    for (const auto& l : c.not_logged) EXPECT_FALSE(Logged(l)) << l;
    for (const auto& [key, value] : c.stats) EXPECT_EQ(Stat(key.c_str()), value) << key;
  }
}

TEST_F(Rules, TestOnlyModeLearnsNothingAndCountsNothing) {
  Run("", std::string(kReceived) + kPlain, {"bob+spamtest@localhost"});
  EXPECT_TRUE(Logged("TTesting only!"));
  for (const char* file : {kStatAllFile, kStatPeriodFile}) {
    TIniFile ini;
    ini.Load(dir.File(file));
    EXPECT_EQ(ini.ReadString("stat", "all", "0"), "0") << file;
  }
  auto words = OpenWordsDb(dir.Str(), false);
  EXPECT_EQ(CountWords(*words), 0);
  // The same message to the plain address is counted.
  Run("", std::string(kReceived) + kPlain, {"bob@localhost"});
  EXPECT_EQ(Stat("all"), "1");
  EXPECT_EQ(Stat("nospam"), "1");
}

TEST_F(Rules, AllVerdictLinesOfAClassifiedSpamComeInTheirOrder) {
  {
    auto words = OpenWordsDb(dir.Str(), false);
    TokenRecord r;
    r.word = "su*Viagra";
    r.hash = mime::TmwQuickAndDirtyHashStrings::HashOf(r.word);
    r.spam = 10;
    WriteTokenList(*words, {r}, Now());
  }
  Run("BayDebug=1\r\nSubject=SPAM\r\n", std::string(kReceived) + "Subject: Viagra\r\n\r\n", {"bob@localhost"});
  // F(10, 0) = 11/12.
  const std::vector<std::string> top = {kPassed, "X-CHAFFGUARD: probability - 91.7%", kSpamLine,
                                        "X-CHAFFGUARD: Debug - su*Viagra 0.9166666666667",
                                        "X-CHAFFGUARD: Debug - ... 0.9166666666667"};
  EXPECT_EQ(TopLines(), top) << text;
  EXPECT_TRUE(text.ends_with(std::string(kReceived) + "Subject: [SPAM] Viagra\r\n\r\n")) << text;
  EXPECT_TRUE(lines[0].ends_with(")")) << lines[0];
  EXPECT_TRUE(Logged("SSPAM! 0.9167"));
  EXPECT_EQ(Stat("spam"), "1");
}

TEST_F(Rules, ImageAttachmentAddsItsTokensWhereTheImageLibraryIsPresent) {
  const std::string head = std::string(kReceived) + "Subject: hello\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
                           "--b\r\nContent-Type: text/plain\r\n\r\nbody text\r\n"
                           "--b\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n\r\n";
  auto tokens = [&](const std::string& attachment) {
    Run("", head + attachment + "--b--\r\n", {"bob@localhost"});
    for (const auto& l : LogLines())
      if (l.starts_with(" Tokens: ")) return std::stoi(l.substr(9));
    ADD_FAILURE() << "no token count logged";
    return -1;
  };
  const int broken = tokens("AAAAAAAAAAAA\r\n");
  std::filesystem::remove(dir.File("cg.log"));
  const int png = tokens(cg_test::kPngBase64);
#ifdef _WIN32
  EXPECT_EQ(png, broken);  // no FreeImage.dll beside the plug-in
#else
  EXPECT_EQ(png, broken + 4);
#endif
}

}  // namespace
}  // namespace chaffguard
