#include <gtest/gtest.h>

#include "addracl.h"
#include "mystrlist.h"
#include "origin.h"
#include "patterns.h"
#include "testutil.h"

namespace chaffguard {
namespace {

TEST(AddressAcl, MatchesByPrefixLengthOnly) {
  struct Case { const char* ip; const char* acl; bool match; };
  const Case cases[] = {
      {"192.168.1.5", "192.168.1.0/24", true},
      {"192.168.2.5", "192.168.1.0/24", false},
      {"192.168.1.5", "192.168.1.0", false},        // no prefix length: never
      {"192.168.1.5", "192.168.1.5/0", false},      // prefix 0: never
      {"192.168.1.5", "192.168.1.5/40", true},      // above 32 counts as 32
      {"192.168.1.6", "192.168.1.5/40", false},
      {"127.9.9.9", "127.0.0.1/8", true},
      {"10.0.0.1", "x.y/8, 10.0.0.0/8", true},
      {"10.0.0.1", "10.0.0.0/abc", false},
      {"10.0.0.1", "", false},
      {"300.0.0.1", "0.0.0.0/1", false},           // not an address
  };
  for (const auto& c : cases)
    EXPECT_EQ(AclMatches(c.ip, c.acl, "", nullptr), c.match) << c.ip << " " << c.acl;
}

TEST(AddressAcl, DynamicHostsAreTriedWhenNoEntryMatches) {
  auto resolve = [](const std::string& name) {
    return name == "home.dyn" ? std::string("203.0.113.7") : std::string("0.0.0.0");
  };
  EXPECT_TRUE(AclMatches("203.0.113.7", "10.0.0.0/8", "nowhere, home.dyn", resolve));
  EXPECT_FALSE(AclMatches("203.0.113.8", "10.0.0.0/8", "home.dyn", resolve));
  EXPECT_FALSE(AclMatches("0.0.0.0", "", "nowhere", resolve));
}

struct OriginCase {
  const char* name;
  uint32_t flags;
  const char* sender;
  std::vector<std::string> header;
  bool ends, local, need_test;
  std::vector<std::string> debug;
};

class Origin : public ::testing::TestWithParam<OriginCase> {};

TEST_P(Origin, FollowsTheFirstReceivedOrListHeader) {
  const OriginCase& c = GetParam();
  OriginInput in;
  in.flags = c.flags;
  in.sender = c.sender;
  in.recipients = {"bob@localhost"};
  std::vector<std::string> lines = c.header;
  lines.push_back("");
  lines.push_back("body");
  in.lines = &lines;
  in.headers = ReadHeaderFacts(lines, "");
  std::vector<std::string> logged;
  OriginEnv env;
  env.debug = true;
  env.log = [&](char t, const std::string& m) { logged.push_back(std::string(1, t) + m); };
  env.is_local = [](const std::string& a) { return a.find("@localhost") != std::string::npos; };
  env.acl_matches = [](const std::string& ip) {
    return AclMatches(ip, "192.168.1.0/24", "", nullptr);
  };
  OriginResult r = AnalyseOrigin(in, env);
  EXPECT_EQ(r.ends_call, c.ends);
  if (!c.ends) {
    EXPECT_EQ(r.local_sender, c.local);
    EXPECT_EQ(r.need_test, c.need_test);
  }
  EXPECT_EQ(logged, c.debug);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Origin,
    ::testing::Values(
        OriginCase{"LocalFlag", 0x800, "a@x.org", {"Received: from x (1.2.3.4) by y"}, false, true, false, {}},
        OriginCase{"Verp", 0, "verp.a@x.org", {}, false, true, false, {"Dorigin by VERP"}},
        OriginCase{"NoReceived", 0, "a@x.org", {"Subject: x"}, true, false, false, {"Dorigin by Corvane"}},
        OriginCase{"NoReceivedPop3", 0x10000, "a@x.org", {"Subject: x"}, false, false, true, {}},
        OriginCase{"AclMatch", 0, "a@x.org", {"Received: from h (192.168.1.5) by y", "Received: from z (8.8.8.8) by y"},
                   false, true, false, {"DIP: 192.168.1.5", "D> Match ACL"}},
        OriginCase{"AclMiss", 0, "a@x.org", {"Received: from h (8.8.8.8) by y"}, false, false, true,
                   {"DIP: 8.8.8.8", "D> Missed ACL"}},
        OriginCase{"HostName", 0, "a@x.org", {"Received: from h (mail.x.org) by y"}, false, true, false, {}},
        OriginCase{"Folded", 0, "a@x.org", {"Received: from h", " (8.8.8.8) by y"}, false, false, true,
                   {"DIP: 8.8.8.8", "D> Missed ACL"}},
        OriginCase{"ListServer", 0, "a@x.org", {"X-Listname: l", "Received: from h (8.8.8.8) by y"}, false, true,
                   false, {"Dorigin by listserver"}},
        OriginCase{"Pop3", 0x10000, "a@x.org", {"Received: from h by POP3D"}, false, false, true,
                   {"Dorigin by CorvaneD"}},
        OriginCase{"EmptySender", 0, "", {"From: A <a@x.org>"}, false, false, true, {"Dorigin by CorvaneD"}},
        OriginCase{"SmtpAuth", 0, "me@localhost", {"Received: from h (8.8.8.8) by y"}, false, false, true,
                   {"DIP: 8.8.8.8", "D> Missed ACL"}}),
    [](const ::testing::TestParamInfo<OriginCase>& i) { return std::string(i.param.name); });

TEST(OriginSender, EmptySenderTakesReturnPathThenFrom) {
  std::vector<std::string> lines = {"Return-Path: <RP@x.org>", "From: A <a@x.org>", ""};
  OriginInput in;
  in.lines = &lines;
  in.headers = ReadHeaderFacts(lines, "");
  OriginEnv env;
  EXPECT_EQ(AnalyseOrigin(in, env).sender, "rp@x.org");
  lines = {"From: A <a@x.org>", ""};
  in.headers = ReadHeaderFacts(lines, "");
  EXPECT_EQ(AnalyseOrigin(in, env).sender, "a@x.org");
}

TEST(OriginSender, SmtpAuthMakesALocalSenderToExternalRecipientsLocal) {
  std::vector<std::string> lines = {"Received: from h (8.8.8.8) by y", ""};
  OriginInput in;
  in.sender = "me@localhost";
  in.recipients = {"x@ext.org", "bob@localhost", "y@ext.org"};
  in.lines = &lines;
  std::vector<std::string> logged;
  OriginEnv env;
  env.log = [&](char t, const std::string& m) { logged.push_back(std::string(1, t) + m); };
  env.is_local = [](const std::string& a) { return a.find("@localhost") != std::string::npos; };
  env.acl_matches = [](const std::string&) { return false; };
  OriginResult r = AnalyseOrigin(in, env);
  EXPECT_TRUE(r.local_sender);
  EXPECT_FALSE(r.need_test);
  EXPECT_EQ(logged, (std::vector<std::string>{"TAuthorized by SMTP AUTH", "TAuthorized by SMTP AUTH"}));
}

TEST(HeaderFacts, ReadsAddressesBlockTagsAndVirusMarker) {
  std::vector<std::string> lines = {"X-Spam-Flag: YES", "From: \"Eve\" <Eve@Evil.example> x",
                                    "Sender: s@x.org (list)", "Subject: attach removed", "",
                                    "X-Other: no"};
  HeaderFacts f = ReadHeaderFacts(lines, "x-spam-flag:, , ");
  EXPECT_EQ(f.from_address, "eve@evil.example");
  EXPECT_EQ(f.sender_address, "s@x.org");
  EXPECT_TRUE(f.blocked);
  EXPECT_FALSE(ReadHeaderFacts(lines, "x-other:").blocked);
  EXPECT_FALSE(ReadHeaderFacts(lines, "").blocked);
  EXPECT_TRUE(HasVirusMarker(lines, "Attach Removed"));
  EXPECT_FALSE(HasVirusMarker({"attach removed: x", ""}, "attach removed"));  // at position 0
  EXPECT_FALSE(HasVirusMarker(lines, ""));
}

TEST(Patterns, WildcardsSetsAndInvalidLines) {
  struct Case { const char* text; const char* pattern; bool match; };
  const Case cases[] = {
      {"bob@x.org", "*@x.org", true},   {"bob@x.org", "b?b@*", true},
      {"bob@x.org", "[a-c]ob@x.org", true}, {"bob@x.org", "[!a-c]ob@x.org", false},
      {"bob@x.org", "*.com", false},    {"bob@x.org", "BOB@X.ORG", true},
      {"bob@x.org", "*", true},         {"", "*", true},
  };
  for (const auto& c : cases) {
    bool valid = false;
    EXPECT_EQ(WildcardMatch(c.text, c.pattern, &valid), c.match) << c.text << " " << c.pattern;
    EXPECT_TRUE(valid);
  }
  bool valid = true;
  EXPECT_FALSE(WildcardMatch("a", "[a", &valid));
  EXPECT_FALSE(valid);
  cg_test::ScratchDir dir;
  cg_test::WriteFile(dir.File("p.txt"), "[broken\r\n\r\n*@Spam.example\r\n");
  EXPECT_TRUE(MatchesPatternFile("Joe@spam.example", dir.File("p.txt")));
  EXPECT_FALSE(MatchesPatternFile("joe@ok.example", dir.File("p.txt")));
  EXPECT_FALSE(MatchesPatternFile("", dir.File("p.txt")));
  EXPECT_FALSE(MatchesPatternFile("joe@spam.example", dir.File("missing.txt")));
}

}  // namespace
}  // namespace chaffguard
