// The plug-in driven through the stand-in host (the shared library loaded by
// path, as the mail server does) and through its entry logic directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "DAEMON.h"
#include "bayes4.h"
#include "cgtext.h"
#include "host_ops.h"
#include "hostrun.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using cg_test::ReadFile;
using cg_test::WriteFile;

const char kExternal[] =
    "Received: from client (8.8.8.8) by mail.example.com\r\n"
    "From: Eve <eve@ext.org>\r\nSubject: hello\r\n\r\nbody\r\n";

class ThroughHost : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* box : {"MAIL/bob", "MAIL/spam", "MAIL/nospam"})
      std::filesystem::create_directories(dir.path() / box);
    Settings("");
    WriteFile(dir.File("external.eml"), kExternal);
  }
  void Settings(const std::string& extra, bool debug = true) {
    WriteFile(dir.File("chaffguard.ini"),
              std::string("[chaffguard]\r\nEnabled=1\r\nDebug=") + (debug ? "1" : "0") + "\r\nLogFile=" + dir.File("cg.log") +
                  "\r\nSpamAddr=spam@localhost\r\nNoSpamAddr=nospam@localhost\r\n" + extra);
  }
  cg_test::HostResult Run(std::vector<std::string> args, const std::string& message = "external.eml") {
    std::vector<std::string> all = {"--base", dir.Str()};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(dir.File(message));
    return cg_test::RunHostHere(all, dir.Str());
  }
  // The job file named in the host's output line.
  std::string JobFile(const cg_test::HostResult& r) {
    std::string line = r.out.substr(0, r.out.find('\n'));
    return line.substr(line.rfind('\t') + 1);
  }
  int Result(const cg_test::HostResult& r) {
    std::string line = r.out.substr(0, r.out.find('\n'));
    size_t a = line.find('\t');
    return std::atoi(line.substr(a + 1).c_str());
  }
  std::string Log() { return ReadFile(dir.File("cg.log")); }
  bool Logged(const std::string& type_and_text) {
    return cg_test::PluginLogged(dir.File("cg.log"), type_and_text);
  }
  size_t Count(const std::string& folder, const std::string& ext) {
    size_t n = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir.path() / folder, ec))
      n += e.path().extension() == ext;
    return n;
  }
  cg_test::ScratchDir dir;
};

TEST_F(ThroughHost, InterfaceVersionsBelow220AreRefused) {
  struct Case { const char* version; bool processed; const char* ext; };
  const Case cases[] = {{"2.19", false, ".QDF"}, {"2.20", true, ".QDF"},
                        {"4.0", true, ".QDF"}, {"4.1", true, ".MSG"}};
  for (const auto& c : cases) {
    std::filesystem::remove(dir.File("cg.log"));
    auto r = Run({"--host-version", c.version, "--from", "eve@ext.org", "--to", "bob@localhost"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Result(r), 0);
    EXPECT_EQ(JobFile(r).substr(JobFile(r).size() - 4), c.ext);
    EXPECT_EQ(std::filesystem::exists(dir.File("cg.log")), c.processed) << c.version;
    if (c.processed) {
      EXPECT_TRUE(Logged(std::string("Djobfile: ") + JobFile(r))) << Log();
      EXPECT_EQ(Logged("DCorvane version >= 4.1"), std::string(c.version) == "4.1");
      EXPECT_TRUE(Logged(" from: eve@ext.org to: bob@localhost"));
      EXPECT_TRUE(Logged("D> Need to test"));
    }
  }
  EXPECT_TRUE(std::filesystem::exists(dir.File("words4.db3")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("white4.db3")));
}

TEST_F(ThroughHost, StartupReportsTheVersionToTheHostLog) {
  Run({"--from", "eve@ext.org", "--to", "bob@localhost"});
  const std::string host_log = ReadFile(dir.File("host.log"));
  EXPECT_EQ(host_log.rfind("5 Chaffguard ", 0), 0u) << host_log;
  EXPECT_NE(host_log.find(" started\n"), std::string::npos);
  EXPECT_EQ(host_log.find("x.x.x"), std::string::npos);
}

TEST_F(ThroughHost, CorrectionFromNonLocalSenderIsRefusedWithPriority20) {
  auto r = Run({"--from", "eve@ext.org", "--to", "spam@localhost"});
  EXPECT_EQ(Result(r), 1);
  EXPECT_EQ(ReadFile(JobFile(r)), kExternal);
  EXPECT_EQ(Count("MAIL/spam", ".CNM"), 0u);
  EXPECT_TRUE(Logged("ECorrection from non-local sender!"));
  const std::string host_log = ReadFile(dir.File("host.log"));
  EXPECT_NE(host_log.find("\n20 Chaffguard "), std::string::npos) << host_log;
  EXPECT_NE(host_log.find(" - Correction from non-local sender! eve@ext.org\n"), std::string::npos);
}

TEST_F(ThroughHost, CorrectionIsSavedForLocalSendersAndByPassword) {
  Settings("Password=Secret\r\n");
  auto local = Run({"--flags", "0x800", "--from", "me@localhost", "--to", "nospam@localhost"});
  EXPECT_EQ(Result(local), 1);
  EXPECT_EQ(Count("MAIL/nospam", ".CNM"), 1u);
  auto pw = Run({"--from", "eve@ext.org", "--to", "spam+secret@localhost"});
  EXPECT_EQ(Result(pw), 1);
  EXPECT_EQ(Count("MAIL/spam", ".CNM"), 1u);
  EXPECT_TRUE(Logged("PCorrection enabled by password"));
  EXPECT_NE(Log().find(" Correction request saved as: " + dir.File("MAIL") ), std::string::npos) << Log();
  EXPECT_EQ(ReadFile(JobFile(pw)), kExternal);
  for (const auto& e : std::filesystem::directory_iterator(dir.path() / "MAIL/spam"))
    EXPECT_EQ(ReadFile(e.path().string()), kExternal);
}

TEST_F(ThroughHost, InvalidCorrectionAddressIsReportedAtEveryBatch) {
  WriteFile(dir.File("chaffguard.ini"),
            "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") +
                "\r\nSpamAddr=spam@localhost\r\nNoSpamAddr=nobody@localhost\r\n");
  Run({"--from", "eve@ext.org", "--to", "bob@localhost"});
  Run({"--from", "eve@ext.org", "--to", "bob@localhost"});
  EXPECT_FALSE(Logged("?SPAM correction address is invalid!"));
  const std::string text = " NoSPAM correction address is invalid!";
  size_t n = 0;
  for (const auto& l : cg_test::ReadLines(dir.File("cg.log")))
    n += l.size() > text.size() && l[0] == '?' && l.substr(l.size() - text.size()) == text;
  EXPECT_EQ(n, 2u) << Log();
  const std::string host_log = ReadFile(dir.File("host.log"));
  EXPECT_NE(host_log.find(" - NoSPAM correction address is invalid!\n"), std::string::npos) << host_log;
  // Mail that needs no test runs no batch.
  std::filesystem::remove(dir.File("cg.log"));
  WriteFile(dir.File("out.eml"), "Received: from pc (127.0.0.1) by mail\r\n\r\nx\r\n");
  Run({"--from", "me@localhost", "--to", "friend@ext.org"}, "out.eml");
  EXPECT_FALSE(Logged("?NoSPAM correction address is invalid!"));
}

TEST_F(ThroughHost, MailWithoutReceivedHeaderIsTheServersOwn) {
  WriteFile(dir.File("own.eml"), "From: postmaster@localhost\r\nSubject: report\r\n\r\nx\r\n");
  auto r = Run({"--from", "eve@ext.org", "--to", "bob@localhost"}, "own.eml");
  EXPECT_EQ(Result(r), 0);
  EXPECT_TRUE(Logged("Dorigin by Corvane"));
  EXPECT_FALSE(Logged(" from: eve@ext.org to: bob@localhost"));
}

TEST_F(ThroughHost, AddressAclNeedsAPrefixLength) {
  WriteFile(dir.File("lan.eml"), "Received: from pc (192.168.1.5) by mail\r\nSubject: x\r\n\r\nx\r\n");
  Settings("LocalIP=192.168.1.0/24\r\n");
  Run({"--from", "me@lan.example", "--to", "friend@ext.org"}, "lan.eml");
  EXPECT_TRUE(Logged("D> Match ACL"));
  EXPECT_TRUE(Logged("D> Local sender"));
  // A local sender writing to an external address whitelists it.
  EXPECT_TRUE(Logged("AWH+: friend@ext.org"));
  std::filesystem::remove(dir.File("cg.log"));
  Settings("LocalIP=192.168.1.0\r\n");
  Run({"--from", "me@lan.example", "--to", "friend@ext.org"}, "lan.eml");
  EXPECT_TRUE(Logged("D> Missed ACL"));
  EXPECT_TRUE(Logged("D> Internet sender"));
}

TEST_F(ThroughHost, LocalToLocalMailLeavesNoLogLine) {
  Settings("", false);
  WriteFile(dir.File("local.eml"), "Received: from pc (127.0.0.1) by mail\r\n\r\nx\r\n");
  auto r = Run({"--from", "me@localhost", "--to", "bob@localhost"}, "local.eml");
  EXPECT_EQ(Result(r), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("cg.log"))) << Log();
}

TEST_F(ThroughHost, SpamtestRecipientSwitchesOnTestOnlyModeForLocalSenders) {
  auto r = Run({"--flags", "2048", "--from", "me@localhost", "--to", "friend+spamtest@ext.org"});
  EXPECT_EQ(Result(r), 0);
  EXPECT_FALSE(Logged("AWH+: friend+spamtest@ext.org"));  // no outbound learning in test-only mode
  EXPECT_TRUE(Logged("D> SpamTest detected!"));
  EXPECT_TRUE(Logged("D> Local sender"));
  EXPECT_NE(Log().find(" Done. ("), std::string::npos);
}

TEST_F(ThroughHost, EarlyExitsNoFilterDisabledAndMissingDataDir) {
  auto nofilter = Run({"--flags", "256", "--from", "eve@ext.org", "--to", "bob@localhost"});
  EXPECT_EQ(Result(nofilter), 0);
  EXPECT_TRUE(Logged("DJF_NOFILTER"));
  EXPECT_FALSE(Logged("Djobfile: " + JobFile(nofilter)));
  std::filesystem::remove(dir.File("cg.log"));
  Settings("bayDataDir=" + dir.File("nowhere") + "\r\n");
  Run({"--from", "eve@ext.org", "--to", "bob@localhost"});
  EXPECT_TRUE(Logged("?BayDataDir invalid!"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("words4.db3")));
  std::filesystem::remove(dir.File("cg.log"));
  WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=0\r\nLogFile=" + dir.File("cg.log") + "\r\n");
  Run({"--from", "eve@ext.org", "--to", "bob@localhost"});
  EXPECT_FALSE(std::filesystem::exists(dir.File("cg.log")));
}

TEST_F(ThroughHost, VirusMarkerIsCountedAndLogged) {
  Settings("LogPestGate=1\r\n");
  WriteFile(dir.File("virus.eml"), "Received: from c (8.8.8.8) by m\r\nSubject: [attach removed]\r\n\r\nx\r\n");
  auto r = Run({"--from", "eve@ext.org", "--to", "bob@localhost"}, "virus.eml");
  EXPECT_EQ(Result(r), 0);
  EXPECT_TRUE(Logged("VKilled by Pestgate!"));
  EXPECT_NE(ReadFile(dir.File("spamstat.txt")).find("virus=1"), std::string::npos);
  EXPECT_EQ(ReadFile(JobFile(r)), ReadFile(dir.File("virus.eml")));
}

TEST_F(ThroughHost, DatabaseErrorIsLoggedReleasedAndLeavesTheMessage) {
  WriteFile(dir.File("white4.db3"), std::string(4096, 'x'));  // not a database
  WriteFile(dir.File("words4.db3"), std::string(4096, 'x'));
  auto r = Run({"--from", "eve@ext.org", "--to", "bob@localhost"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Result(r), 0);
  EXPECT_NE(Log().find("\r\n! "), std::string::npos) << Log();
  EXPECT_NE(Log().find("file is not a database"), std::string::npos) << Log();
  EXPECT_NE(ReadFile(dir.File("host.log")).find(" - ERROR: "), std::string::npos);
  EXPECT_EQ(ReadFile(JobFile(r)), kExternal);
}

TEST_F(ThroughHost, WrongArgumentsMissingPluginAndMissingMessageFail) {
  struct Case { std::vector<std::string> args; int status; };
  const std::string msg = dir.File("external.eml");
  const Case cases[] = {
      {{"--from", "a@b", "--to", "c@d", msg}, 2},                          // no --base
      {{"--base", dir.Str(), "--to", "c@d", msg}, 2},                       // no --from
      {{"--base", dir.Str(), "--from", "a@b", msg}, 2},                     // no --to
      {{"--base", dir.Str(), "--from", "a@b", "--to", "c@d"}, 2},           // no message
      {{"--base", dir.Str(), "--bogus", "--from", "a@b", "--to", "c@d", msg}, 2},
      {{"--base", dir.Str(), "--host-version", "4", "--from", "a@b", "--to", "c@d", msg}, 2},
      {{"--base", dir.Str(), "--from", "a@b", "--to", "c@d", dir.File("none.eml")}, 4},
      {{"--base", dir.Str(), "--plugin", dir.File("nothing.so"), "--from", "a@b", "--to", "c@d", msg}, 3},
      {{"--base", dir.Str(), "--plugin", msg, "--from", "a@b", "--to", "c@d", msg}, 3},
  };
  for (const auto& c : cases) {
    auto r = cg_test::RunHostHere(c.args, dir.Str());
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_FALSE(r.err.empty());
    EXPECT_TRUE(r.out.empty());
  }
}

TEST_F(ThroughHost, HostileInputNeitherCrashesNorWritesElsewhere) {
  std::string junk;
  for (int i = 0; i < 200000; ++i) junk += static_cast<char>((i * 7919 + 13) % 256);
  WriteFile(dir.File("junk.eml"), junk);
  WriteFile(dir.File("long.eml"), "Received: from c (" + std::string(100000, '(') + ") by m\r\n" +
                                      std::string(300000, ' ') + "\r\n\r\n");
  const std::string long_rcpt = std::string(300, 'x') + "@localhost";
  for (const char* m : {"junk.eml", "long.eml"}) {
    auto r = Run({"--from", std::string(5000, '<'), "--to", long_rcpt, "--to", "", "--to",
                  "spam@localhost"}, m);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(JobFile(r)), ReadFile(dir.File(m)));
  }
  WriteFile(dir.File("chaffguard.ini"), junk);
  auto r = Run({"--from", "eve@ext.org", "--to", "bob@localhost"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Result(r), 0);  // not enabled by a settings file that says nothing
  std::set<std::string> expected = {"MAIL", "QUEUE", "cg.log", "chaffguard.ini", "host.log",
                                    "external.eml", "junk.eml", "long.eml", "words4.db3",
                                    "white4.db3", "chaffguard.flg", "spamstat.csv", "spamstat.txt"};
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_TRUE(expected.count(e.path().filename().string())) << e.path();
}

// The entry logic with the host's operations wired in directly.
TEST(DaemonEntry, ReleasesTheJobOnlyForJobFileHosts) {
  cg_test::ScratchDir dir;
  WriteFile(dir.File("chaffguard.ini"), "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") + "\r\n");
  std::filesystem::create_directories(dir.path() / "QUEUE");
  cg_host::HostConfig().base = dir.Str();
  cg_host::HostConfig().queue = (dir.path() / "QUEUE").string();
  struct Case { int major, minor, released; };
  for (const Case c : {Case{4, 1, 1}, Case{4, 0, 0}, Case{2, 19, 0}}) {
    std::vector<unsigned char> block(1024, 0);
    cg_host::FillBlock(block.data(), c.major, c.minor);
    cg_host::Job job;
    job.id = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";  // cut to 20 characters
    job.sender = "eve@ext.org";
    job.recipients = {"bob@localhost"};
    job.file_path = (dir.path() / "QUEUE" / "ABCDEFGHIJKLMNOPQRST.QDF").string();
    WriteFile(job.file_path, kExternal);
    EXPECT_EQ(RunDaemon(&job, block.data(), nullptr), 0);
    EXPECT_EQ(job.released, c.released) << c.major << "." << c.minor;
  }
  EXPECT_NE(ReadFile(dir.File("cg.log")).find(" ABCDEFGHIJKLMNOPQRST from: eve@ext.org"), std::string::npos);
  EXPECT_EQ(RunDaemon(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(RunStartup(nullptr), 1);
  EXPECT_EQ(RunConfigure(nullptr, nullptr), 1);
}

}  // namespace
}  // namespace chaffguard
