// The verdict and the marking of a message, driven through the stand-in host.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cgtext.h"
#include "hostrun.h"
#include "mystrlist.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using cg_test::ReadFile;
using cg_test::WriteFile;

class Verdict : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(dir.path() / "MAIL/bob"); }
  // Runs one message through the host and returns the job file's lines.
  std::vector<std::string> Run(const std::string& settings, const std::string& message) {
    WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") +
                                              "\r\nSpamAddr=spam@localhost\r\nNoSpamAddr=nospam@localhost\r\n" +
                                              settings);
    WriteFile(dir.File("in.eml"), message);
    auto r = cg_test::RunHostHere({"--base", dir.Str(), "--from", "eve@ext.org", "--to", "bob@localhost",
                                   dir.File("in.eml")},
                                  dir.Str());
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string line = r.out.substr(0, r.out.find('\n'));
    const std::string job = line.substr(line.rfind('\t') + 1);
    text = ReadFile(job);
    TMyStringList l;
    l.SetText(text);
    return l.lines;
  }
  std::string Log() { return ReadFile(dir.File("cg.log")); }
  cg_test::ScratchDir dir;
  std::string text;
};

const char kReceived[] = "Received: from client (8.8.8.8) by mail.example.com\r\n";

TEST_F(Verdict, BlockedMessageIsMarkedTaggedAndStrippedOfReceiptRequests) {
  const auto lines = Run("BlockTag=x-bulk\r\nSubject=SPAM\r\n",
                         std::string(kReceived) +
                             "From: Eve <eve@ext.org>\r\nX-Bulk: yes\r\nSubject: hello\r\n"
                             "Return-Receipt-To: eve@ext.org\r\nX-Confirm-Reading-To: eve@ext.org\r\n"
                             " eve2@ext.org\r\n\r\nbody text\r\n");
  ASSERT_GE(lines.size(), 5u) << text;
  EXPECT_TRUE(lines[0].starts_with("X-CHAFFGUARD: Passed through antiSPAM test by Chaffguard ")) << lines[0];
  EXPECT_EQ(lines[1], "X-CHAFFGUARD: probability - 100.0%");
  EXPECT_EQ(lines[2], "X-CHAFFGUARD: SPAM detected!");
  EXPECT_EQ(lines[3], "X-CHAFFGUARD: Blocked SPAM!");
  EXPECT_EQ(lines[4], "Received: from client (8.8.8.8) by mail.example.com");
  EXPECT_NE(text.find("\r\nSubject: [SPAM] hello\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Receipt"), std::string::npos);
  EXPECT_EQ(text.find("Reading"), std::string::npos);
  EXPECT_EQ(text.find("eve2@"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\r\n\r\nbody text\r\n"));
  EXPECT_NE(Log().find(" is on SMTP blacklist..."), std::string::npos) << Log();
  EXPECT_NE(Log().find(" SPAM! 1.0000"), std::string::npos);
}

TEST_F(Verdict, UnknownTokensGiveAGoodVerdictWithDebugLines) {
  const auto lines = Run("BayDebug=1\r\nSubject=SPAM\r\n",
                         std::string(kReceived) + "From: Eve <eve@ext.org>\r\nSubject: hello\r\n\r\nbody text\r\n");
  ASSERT_GE(lines.size(), 9u) << text;
  EXPECT_TRUE(lines[0].starts_with("X-CHAFFGUARD: Passed through antiSPAM test by ")) << text;
  // Six unknown tokens at 0.40 each: 0.4^6 / (0.4^6 + 0.6^6).
  EXPECT_EQ(lines[1], "X-CHAFFGUARD: probability - 8.1%") << text;
  for (std::size_t i = 2; i < 8; ++i) {
    EXPECT_TRUE(lines[i].starts_with("X-CHAFFGUARD: Debug - ")) << lines[i];
    EXPECT_TRUE(lines[i].ends_with(" 0.4000000000000")) << lines[i];
  }
  EXPECT_EQ(lines[8], "X-CHAFFGUARD: Debug - ... 0.0807061790668") << text;
  EXPECT_NE(text.find("X-CHAFFGUARD: Debug - ... "), std::string::npos);
  EXPECT_EQ(text.find("SPAM detected!"), std::string::npos);
  EXPECT_NE(text.find("\r\nSubject: hello\r\n"), std::string::npos);
  EXPECT_NE(Log().find(" noSPAM 0."), std::string::npos) << Log();
  EXPECT_NE(Log().find("Tokens: "), std::string::npos);
}

TEST_F(Verdict, EmptyMessageScoresOneAndIsSpam) {
  const auto lines = Run("", std::string(kReceived) + "X-A: b\r\n\r\n");
  ASSERT_GE(lines.size(), 3u) << text;
  EXPECT_EQ(lines[1], "X-CHAFFGUARD: probability - 100.0%");
  EXPECT_EQ(lines[2], "X-CHAFFGUARD: SPAM detected!");
  EXPECT_NE(Log().find("Tokens: 0"), std::string::npos) << Log();
}

TEST_F(Verdict, WhitelistPatternFileSkipsScoring) {
  WriteFile(dir.File("cgwhite.txt"), "*@ext.org\r\n");
  const auto lines = Run("", std::string(kReceived) + "X-A: b\r\n\r\n");
  ASSERT_GE(lines.size(), 3u) << text;
  EXPECT_EQ(lines[1], "X-CHAFFGUARD: probability - 0.0%");
  EXPECT_EQ(lines[2], "X-CHAFFGUARD: Whitelisted");
  EXPECT_NE(Log().find(" is on cgwhite.txt"), std::string::npos) << Log();
}

}  // namespace
}  // namespace chaffguard
