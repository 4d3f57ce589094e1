#include <gtest/gtest.h>

#include "fakes.h"
#include "fakes_platform.h"

namespace {

using namespace control;
using control_test::FakeProcessList;
using control_test::FakeServiceManager;
using control_test::FakeTcpTable;
using control_test::LogEntry;
using control_test::RecordingLog;
using State = IServiceManager::State;

TEST(ProcessSnapshot, ListsEveryProcessAndKeepsThePictureUntilTheNextUpdate) {
  FakeProcessList list;
  list.procs = {{"System Idle Process", 0, ""}, {"httpd.exe", 10, "c:\\x\\httpd.exe"}, {"httpd.exe", 11, "c:\\x\\httpd.exe"}};
  tProcesses snap(list);
  snap.UpdateList();
  ASSERT_EQ(snap.ProcessList2.size(), 3u);
  EXPECT_EQ(snap.GetProcessName(10), "httpd.exe");
  EXPECT_EQ(snap.GetProcessName(11), "httpd.exe");
  EXPECT_EQ(snap.GetProcessName(0), "System Idle Process");
  list.procs.pop_back();
  EXPECT_EQ(snap.GetProcessName(11), "httpd.exe");
  EXPECT_EQ(snap.GetProcessName(99), "");
  snap.UpdateList();
  EXPECT_EQ(snap.GetProcessName(11), "");
}

TEST(ProcessSnapshot, PathIsTrimmedOrAnErrorText) {
  FakeProcessList list;
  list.procs = {{"a.exe", 5, std::string(" c:\\a.exe\t\0\0", 13)}, {"b.exe", 6, "?"}, {"c.exe", 7, ""}};
  tProcesses snap(list);
  EXPECT_EQ(snap.GetProcessPath(5), "c:\\a.exe");
  EXPECT_EQ(snap.GetProcessPath(6), "Unable to get info");
  EXPECT_EQ(snap.GetProcessPath(7), "Unable to open process");
  EXPECT_EQ(snap.GetProcessPath(0), "Unable to open process");
}

class PortTable : public ::testing::Test {
 protected:
  FakeProcessList list;
  tProcesses snap{list};
  FakeTcpTable source;
};

TEST_F(PortTable, LookupsAnswerFromTheRows) {
  list.procs = {{"httpd.exe", 1234, "x"}};
  snap.UpdateList();
  source.rows = {{2, 0, 80, 0, 0, 1234}, {5, 0x0100007f, 80, 0x0100007f, 50000, 1234},
                 {5, 0x0100007f, 80, 0x0100007f, 50001, 1234}, {2, 0, 443, 0, 0, 99}, {2, 0, 8443, 0, 0, 1234}};
  tNetstatTable table(source, snap);
  EXPECT_EQ(table.UpdateTable(), 0u);
  EXPECT_EQ(table.GetPorts4PID(1234), "80, 80, 80, 8443");
  EXPECT_EQ(table.isPortInUsePID(80), 1234);
  EXPECT_EQ(table.isPortInUsePID(443), 99);
  EXPECT_EQ(table.isPortInUsePID(81), -1);
  EXPECT_EQ(table.isPortInUse(80), "httpd.exe");
  EXPECT_EQ(table.isPortInUse(443), "unknown program");
  EXPECT_EQ(table.isPortInUse(81), "");
  EXPECT_EQ(table.GetPortCount4PID(1234), 4);
  EXPECT_EQ(table.GetPorts4PID(5), "");
  EXPECT_EQ(table.Rows()[1].remote_port, 50000u);
}

TEST_F(PortTable, TimeWaitRowWithOwnerZeroFirstGivesZero) {
  source.rows = {{11, 0, 80, 0, 0, 0}, {2, 0, 80, 0, 0, 1234}};
  tNetstatTable table(source, snap);
  table.UpdateTable();
  EXPECT_EQ(table.isPortInUsePID(80), 0);
}

TEST_F(PortTable, NetworkOrderPortBytesReadAsHostPort) {
  // 0x00 0x50 in memory is port 80 in network order.
  source.rows = {{2, 0, 80, 0, 0, 7}};
  tNetstatTable table(source, snap);
  table.UpdateTable();
  ASSERT_EQ(table.Rows().size(), 1u);
  EXPECT_EQ(table.Rows()[0].local_port, 80u);
}

TEST_F(PortTable, FetchAnswersOtherThanSuccess) {
  RecordingLog log;
  source.rows = {{2, 0, 80, 0, 0, 7}};
  struct Case {
    std::vector<std::uint32_t> answers;
    std::uint32_t result;
    bool logged;
    int fetches;
  } cases[] = {
      {{kErrorNoData}, 232, false, 1},
      {{5}, 5, true, 1},
      {std::vector<std::uint32_t>(11, kErrorInsufficientBuffer), 122, true, 11},
      {std::vector<std::uint32_t>(10, kErrorInsufficientBuffer), 0, false, 11},
  };
  for (const Case& c : cases) {
    log.lines.clear();
    source.answers = c.answers;
    source.fetches = 0;
    tNetstatTable table(source, snap);
    EXPECT_EQ(table.UpdateTable(), c.result);
    EXPECT_EQ(source.fetches, c.fetches);
    EXPECT_EQ(table.Rows().size(), c.result == 0 ? 1u : 0u);
    EXPECT_FALSE(table.Updating());
    if (c.logged) {
      EXPECT_EQ(log.lines, (std::vector<LogEntry>{{"NetStatTable",
                                                   "Problem loading NetStat TCP table: Returned " +
                                                       std::to_string(c.result),
                                                   ltError}}));
    } else {
      EXPECT_TRUE(log.lines.empty());
    }
  }
}

TEST_F(PortTable, MissingLibraryLeavesTheTableRebuildingForGood) {
  source.loaded = false;
  source.rows = {{2, 0, 80, 0, 0, 7}};
  tNetstatTable table(source, snap);
  table.UpdateTable();
  table.UpdateTable();
  EXPECT_EQ(source.fetches, 0);
  EXPECT_EQ(table.isPortInUsePID(80), -1);
  EXPECT_EQ(table.GetPorts4PID(7), "");
  EXPECT_EQ(table.isPortInUse(80), "");
  EXPECT_EQ(table.GetPortCount4PID(7), 0);
}

TEST_F(PortTable, ImageShorterThanItsCountKeepsOnlyWholeRows) {
  source.rows = {{2, 0, 80, 0, 0, 7}};
  source.claimed_count_extra = 1000000;
  tNetstatTable table(source, snap);
  EXPECT_EQ(table.UpdateTable(), 0u);
  EXPECT_EQ(table.Rows().size(), 1u);
}

class ServiceQueryTest : public ::testing::Test {
 protected:
  FakeServiceManager scm;
  ServiceQueries q{scm};
};

TEST_F(ServiceQueryTest, StatusByState) {
  scm.services["apache"] = {State::kRunning, "p", 1};
  scm.services["stopped"] = {State::kStopped, "p", 0};
  scm.services["starting"] = {State::kStartPending, "p", 0};
  scm.services["paused"] = {State::kPaused, "p", 0};
  scm.services["broken"] = {State::kRunning, "p", 0, true, false};
  EXPECT_EQ(q.GetServiceStatus("Apache"), 3);
  EXPECT_EQ(q.GetServiceStatus("stopped"), 4);
  EXPECT_EQ(q.GetServiceStatus("starting"), 2);
  EXPECT_EQ(q.GetServiceStatus("paused"), 2);
  EXPECT_EQ(q.GetServiceStatus("nosuch"), 1);
  EXPECT_EQ(q.GetServiceStatus("broken"), 0);
  scm.manager_ok = false;
  EXPECT_EQ(q.GetServiceStatus("Apache"), 0);
  EXPECT_EQ(scm.open_handles, 0);
}

TEST_F(ServiceQueryTest, ConfigPathOrErrorTexts) {
  scm.services["apache"] = {State::kRunning, "\"c:\\o\\apache\\bin\\httpd.exe\" -k runservice", 1};
  EXPECT_EQ(q.GetServiceConfigPath("Apache"), "\"c:\\o\\apache\\bin\\httpd.exe\" -k runservice");
  EXPECT_EQ(q.GetServiceConfigPath("nosuch"), "ERROR: Service Not Found");
  scm.config_ok = false;
  EXPECT_EQ(q.GetServiceConfigPath("Apache"), "ERROR: Could Not Get Service Config");
  scm.manager_ok = false;
  EXPECT_EQ(q.GetServiceConfigPath("Apache"), "ERROR: Not Able To Open Service Manager");
  EXPECT_EQ(scm.open_handles, 0);
}

TEST_F(ServiceQueryTest, PathForPidTakesTheFirstServiceOfTheProcess) {
  scm.services["a"] = {State::kRunning, "a.exe", 10};
  scm.services["b"] = {State::kRunning, "host.exe -k b", 20};
  scm.services["c"] = {State::kRunning, "host.exe -k c", 20};
  scm.active_order = {"a", "b", "c"};
  EXPECT_EQ(q.GetServicePathForPID(20), "host.exe -k b");
  EXPECT_EQ(q.GetServicePathForPID(10), "a.exe");
  EXPECT_EQ(q.GetServicePathForPID(30), "");
  EXPECT_EQ(scm.open_handles, 0);
}

TEST_F(ServiceQueryTest, PathForPidGivesTheLastFailureBeforeTheWalkEnded) {
  scm.services["a"] = {State::kRunning, "a.exe", 10, false, true};
  scm.services["b"] = {State::kRunning, "b.exe", 11, true, false};
  scm.services["c"] = {State::kRunning, "c.exe", 12};
  scm.active_order = {"a", "b", "c"};
  EXPECT_EQ(q.GetServicePathForPID(99), "Unable to query service");
  scm.active_order = {"b", "a"};
  EXPECT_EQ(q.GetServicePathForPID(99), "Unable to open service: a");
  scm.active_order = {"a", "c"};
  EXPECT_EQ(q.GetServicePathForPID(12), "c.exe");
  scm.manager_ok = false;
  EXPECT_EQ(q.GetServicePathForPID(12), "Unable to open Service Control Manager");
  EXPECT_EQ(scm.open_handles, 0);
}

}  // namespace
