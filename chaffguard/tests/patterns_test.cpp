// Wildcard lines of the pattern files and the two exclusions of cgexclde.txt.
#include <gtest/gtest.h>

#include <filesystem>

#include "hostrun.h"
#include "patterns.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using cg_test::ReadFile;
using cg_test::WriteFile;

TEST(WildcardLines, SetsRangesNegationAndCase) {
  struct Case { const char* text; const char* pattern; bool match; bool valid; };
  const Case cases[] = {
      {"x@b.org", "[a-cx-z]@b.org", true, true},   // two ranges in one set
      {"m@b.org", "[a-cx-z]@b.org", false, true},
      {"b@b.org", "[A-C]@b.org", true, true},      // set letters without case
      {"B@b.org", "[a-c]@B.ORG", true, true},
      {"q@b.org", "[!a-c]@b.org", true, true},
      {"a@b.org", "[!a-c]@b.org", false, true},
      {"a1@b.org", "a[0-9]@*", true, true},
      {"a@b.org", "a?@b.org", false, true},          // "?" is exactly one character
      {"ab@b.org", "a?@b.org", true, true},
      {"a]@b.org", "a[]]@b.org", true, true},        // "]" first in a set is a member
      {"abc@b.org", "*c@*.org", true, true},
      {"abc@b.org", "a*b*c*", true, true},
      {"abc@b.org", "a*x*", false, true},
      {"a@b.org", "[a-c@b.org", false, false},       // unclosed set: no pattern at all
  };
  for (const auto& c : cases) {
    bool valid = !c.valid;
    EXPECT_EQ(WildcardMatch(c.text, c.pattern, &valid), c.match) << c.text << " " << c.pattern;
    EXPECT_EQ(valid, c.valid) << c.pattern;
  }
}

TEST(WildcardLines, InvalidAndEmptyLinesOfAFileAreSkipped) {
  cg_test::ScratchDir dir;
  const std::string file = dir.File("p.txt");
  WriteFile(file, "[*\r\n\r\nNEWS[0-9]@LIST.EXAMPLE\r\n*@[!a-m]*.net\r\n");
  struct Case { const char* address; bool match; };
  const Case cases[] = {{"news7@list.example", true}, {"News7@List.Example", true}, {"newsx@list.example", false},
                        {"a@zeta.net", true}, {"a@alpha.net", false}, {"anything", false}, {"", false}};
  for (const auto& c : cases) EXPECT_EQ(MatchesPatternFile(c.address, file), c.match) << c.address;
}

TEST(WildcardLines, ExcludedReceiverAndExcludedSenderThroughTheHost) {
  cg_test::ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "MAIL/bob");
  std::filesystem::create_directories(dir.path() / "MAIL/me");
  WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") +
                                            "\r\nSpamAddr=spam@localhost\r\nNoSpamAddr=nospam@localhost\r\n");
  WriteFile(dir.File("cgexclde.txt"), "[broken\r\nb[n-p]b@LOCALHOST\r\nm[e]@*\r\n");
  WriteFile(dir.File("in.eml"), "Received: from client (8.8.8.8) by mail\r\nSubject: hi\r\n\r\nbody\r\n");
  WriteFile(dir.File("out.eml"), "Received: from pc (127.0.0.1) by mail\r\n\r\nhi\r\n");
  auto run = [&](const char* from, const char* to, const char* flags, const char* message) {
    auto r = cg_test::RunHostHere({"--base", dir.Str(), "--flags", flags, "--from", from, "--to", to,
                                   dir.File(message)}, dir.Str());
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out.substr(r.out.rfind('\t') + 1, r.out.size() - r.out.rfind('\t') - 2);
  };
  const std::string job = run("eve@ext.org", "bob@localhost", "0", "in.eml");
  EXPECT_NE(ReadFile(dir.File("cg.log")).find(" Receiver excluded\r\n"), std::string::npos);
  EXPECT_EQ(ReadFile(job), ReadFile(dir.File("in.eml")));  // not marked
  run("me@localhost", "friend@ext.org", "0x800", "out.eml");
  EXPECT_NE(ReadFile(dir.File("cg.log")).find(" Sender excluded\r\n"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.File("cg.log")).find("WH+: friend@ext.org"), std::string::npos);
}

}  // namespace
}  // namespace chaffguard
