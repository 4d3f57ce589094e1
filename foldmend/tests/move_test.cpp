#include <gtest/gtest.h>

#include "fixture.h"
#include "move.h"
#include "testutil.h"

using namespace foldmend;
using namespace foldmend_test;

namespace {

struct Recorder : MoveProgress {
  std::vector<std::string> events;
  void open(const std::string&, const std::string&) override { events.push_back("open"); }
  void current_file(const std::string& n) override { events.push_back(n); }
  void gauge(std::uint64_t d, std::uint64_t t) override {
    events.push_back(std::to_string(d) + "/" + std::to_string(t));
  }
  void close() override { events.push_back("close"); }
};

struct MoveRun : Recorded {
  ScratchDir root;
  std::string tmp = root.str();
  GetEnv env = [this](const char* n) -> const char* { return std::string(n) == "TEMP" ? tmp.c_str() : nullptr; };
  std::string src = root.File("old"), dst = root.File("new/deep/box");
  MoveRun() { std::filesystem::create_directories(src); }
};

}  // namespace

TEST(Move, MovesFolderFilesAndLeavesTheRest) {
  MoveRun m;
  WriteAll(m.src + "/IN.VTM", std::string(2048, 'm'));
  WriteAll(m.src + "/VMAIL.INI", "[GENERAL]\r\nHome mailbox location = C:\\OLD\r\n");
  WriteAll(m.src + "/HOMEBOX.VT", "h");
  WriteAll(m.src + "/NEW1.cnm", "n");
  std::filesystem::create_directories(m.src + "/sub");
  Recorder pr;
  m.ctx.progress = &pr;
  EXPECT_EQ(move_mailbox(m.ctx, m.src, m.dst, nullptr, true, m.env), 1);
  EXPECT_EQ(ReadAll(m.dst + "/IN.VTM"), std::string(2048, 'm'));
  EXPECT_FALSE(std::filesystem::exists(m.src + "/IN.VTM"));
  for (const char* left : {"VMAIL.INI", "HOMEBOX.VT", "NEW1.cnm", "sub"})
    EXPECT_TRUE(std::filesystem::exists(m.src + "/" + left)) << left;
  EXPECT_EQ(m.text, "Moving mailbox from '" + m.src + "' to '" + m.dst + "'...\r\nPreparing to move data...\r\nMoving 1 files, 2KB\r\n"
                    "Moving 'IN.VTM'...\r\nCleaning up source directory...\r\nMailbox successfully moved.\r\n");
  EXPECT_EQ(pr.events, (std::vector<std::string>{"open", "IN.VTM", "2048/2048", "*** Cleaning up...", "close"}));
}

TEST(Move, SameDirectoryFailsAtTheFirstFileAndDeletesNothing) {
  MoveRun m;
  WriteAll(m.src + "/A.VTM", "a");
  m.ctx.quiet = true;
  EXPECT_EQ(move_mailbox(m.ctx, m.src, m.src, nullptr, true, m.env), -1);
  EXPECT_EQ(ReadAll(m.src + "/A.VTM"), "a");
  EXPECT_EQ(m.ctx.out.status(), 4);
  EXPECT_NE(m.text.find("#004 MOVE: An error occurred copying 'A.VTM' - move aborted.\r\n"), std::string::npos);
  m.text.clear();
  EXPECT_EQ(move_mailbox(m.ctx, m.root.File("none"), m.dst, nullptr, true, m.env), -1);
  EXPECT_EQ(m.text, "#003 MOVE: source directory does not exist.\r\n");
}

TEST(Move, PatchesTheSettingsFileOnlyInGeneral) {
  MoveRun m;
  std::string settings = m.root.File("settings");
  std::filesystem::create_directories(settings);
  WriteAll(settings + "/VMAIL.INI",
           "[OTHER]\nHome mailbox location = C:\\OLD\n[General]\nHome mailbox location = C:\\OLD\nX=1\n");
  std::string loc;
  EXPECT_TRUE(read_mailbox_location(m.ctx, settings + "/VMAIL.INI", loc));
  EXPECT_EQ(loc, "C:\\OLD");
  EXPECT_EQ(move_mailbox(m.ctx, m.src, m.dst, &settings, true, m.env), 1);
  EXPECT_EQ(ReadAll(settings + "/VMAIL.INI"),
            "[OTHER]\r\nHome mailbox location = C:\\OLD\r\n[General]\r\nHome mailbox location = " + m.dst +
                "\r\nX=1\r\n");
  EXPECT_NE(m.text.find("Moving 0 files, 0KB"), std::string::npos);
}
