// Two hosts working on one data folder at the same time: SQLite's locking with
// the busy timeout keeps every write and raises no error.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "bayes4.h"
#include "cgtext.h"
#include "hostrun.h"
#include "testutil.h"

namespace chaffguard {
namespace {

TEST(TwoHosts, ShareOneDatabaseFolderWithoutLosingAWrite) {
  cg_test::ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "MAIL" / "bob");
  cg_test::WriteFile(dir.File("chaffguard.ini"),
                     "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") + "\r\n");
  // A local sender writing to external addresses: each message whitelists them.
  cg_test::WriteFile(dir.File("out.eml"),
                     "Received: from pc (127.0.0.1) by mail\r\nSubject: x\r\n\r\nbody\r\n");
  constexpr int kMessages = 15;
  std::vector<long long> hosts;
  for (const char* who : {"a", "b"}) {
    std::vector<std::string> args = {"--base", dir.Str(), "--from", "me@localhost"};
    for (int i = 0; i < 4; ++i) {
      args.push_back("--to");
      args.push_back(std::string(who) + std::to_string(i) + "@ext.org");
    }
    args.push_back("--to");
    args.push_back("shared@ext.org");
    for (int i = 0; i < kMessages; ++i) args.push_back(dir.File("out.eml"));
    hosts.push_back(cg_test::StartHost(args));
  }
  for (auto h : hosts) EXPECT_EQ(cg_test::WaitHost(h), 0);

  auto list = OpenListDb(WithTrailingSep(dir.Str()), true);
  EXPECT_EQ(CountList(*list), 9);  // 4 + 4 own addresses + the shared one
  const std::string log = cg_test::ReadFile(dir.File("cg.log"));
  size_t done = 0;
  for (size_t p = log.find(" Done. ("); p != std::string::npos; p = log.find(" Done. (", p + 1)) ++done;
  EXPECT_EQ(done, 2u * kMessages);
  EXPECT_EQ(log.find("\r\n! "), std::string::npos) << log;
  EXPECT_NE(log.rfind("! ", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir.File("host.log")) &&
               cg_test::ReadFile(dir.File("host.log")).find("ERROR") != std::string::npos);
}

TEST(TwoHosts, CountEveryStatisticsEvent) {
  cg_test::ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "MAIL" / "bob");
  cg_test::WriteFile(dir.File("chaffguard.ini"),
                     "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") + "\r\n");
  cg_test::WriteFile(dir.File("virus.eml"),
                     "Received: from c (8.8.8.8) by m\r\nSubject: [attach removed]\r\n\r\nx\r\n");
  constexpr int kMessages = 20;
  std::vector<long long> hosts;
  for (int h = 0; h < 2; ++h) {
    std::vector<std::string> args = {"--base", dir.Str(), "--from", "eve@ext.org", "--to",
                                     "bob@localhost"};
    for (int i = 0; i < kMessages; ++i) args.push_back(dir.File("virus.eml"));
    hosts.push_back(cg_test::StartHost(args));
  }
  for (auto h : hosts) EXPECT_EQ(cg_test::WaitHost(h), 0);
  const std::string stat = cg_test::ReadFile(dir.File("spamstat.txt"));
  EXPECT_NE(stat.find("\r\nvirus=" + std::to_string(2 * kMessages) + "\r\n"), std::string::npos) << stat;
}

TEST(LockedDatabase, IsWaitedForWithinTheBusyTimeout) {
  cg_test::ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "MAIL" / "bob");
  cg_test::WriteFile(dir.File("chaffguard.ini"),
                     "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") + "\r\n");
  cg_test::WriteFile(dir.File("out.eml"),
                     "Received: from pc (127.0.0.1) by mail\r\nSubject: x\r\n\r\nbody\r\n");
  const std::string data = WithTrailingSep(dir.Str());
  CreateDatabases(data);
  auto holder = OpenListDb(data, true);
  holder->BeginTransaction("", "EXCLUSIVE");
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    holder->Commit();
  });
  auto r = cg_test::RunHostHere({"--base", dir.Str(), "--from", "me@localhost", "--to",
                                 "friend@ext.org", dir.File("out.eml")},
                                dir.Str());
  release.join();
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string log = cg_test::ReadFile(dir.File("cg.log"));
  EXPECT_NE(log.find(" WH+: friend@ext.org\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("\r\n! "), std::string::npos) << log;
  EXPECT_TRUE(IsListed(*holder, kWhiteList, "friend@ext.org"));
}

TEST(LockedDatabase, HeldPastTheBusyTimeoutFailsTheJobAndLeavesTheMessage) {
  cg_test::ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "MAIL" / "bob");
  cg_test::WriteFile(dir.File("chaffguard.ini"),
                     "[chaffguard]\r\nEnabled=1\r\nLogFile=" + dir.File("cg.log") + "\r\n");
  const std::string message = "Received: from pc (127.0.0.1) by mail\r\nSubject: x\r\n\r\nbody\r\n";
  cg_test::WriteFile(dir.File("out.eml"), message);
  const std::string data = WithTrailingSep(dir.Str());
  CreateDatabases(data);
  auto holder = OpenListDb(data, true);
  holder->BeginTransaction("", "EXCLUSIVE");
  const auto start = std::chrono::steady_clock::now();
  auto r = cg_test::RunHostHere({"--base", dir.Str(), "--from", "me@localhost", "--to",
                                 "friend@ext.org", dir.File("out.eml")},
                                dir.Str());
  const auto waited = std::chrono::steady_clock::now() - start;
  holder->Commit();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_GE(waited, std::chrono::milliseconds(9500)) << "the busy timeout is 10 s";
  const std::string log = cg_test::ReadFile(dir.File("cg.log"));
  EXPECT_NE(log.find("Error executing SQL"), std::string::npos) << log;
  EXPECT_NE(log.find("database file is locked"), std::string::npos) << log;
  EXPECT_NE(cg_test::ReadFile(dir.File("host.log")).find(" - ERROR: "), std::string::npos);
  EXPECT_FALSE(IsListed(*holder, kWhiteList, "friend@ext.org"));
  // The job file the host reports (third column) still holds the message as it arrived.
  const auto tab = r.out.rfind('\t');
  ASSERT_NE(tab, std::string::npos) << r.out;
  std::string job = r.out.substr(tab + 1);
  while (!job.empty() && (job.back() == '\n' || job.back() == '\r')) job.pop_back();
  EXPECT_EQ(cg_test::ReadFile(job), message);
}

}  // namespace
}  // namespace chaffguard
