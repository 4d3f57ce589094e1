#include <gtest/gtest.h>

#include "cli.h"
#include "fixture.h"
#include "testutil.h"

using namespace foldmend;
using namespace foldmend_test;

namespace {

struct Cli : Recorded {
  ScratchDir dir;
  std::vector<std::string> boxes, runs;
  int usages = 0;
  std::int64_t clock = 0;
  Platform pf;
  std::string tmp = dir.str();
  Cli() {
    pf.message_box = [this](const std::string& t) { boxes.push_back(t); };
    pf.usage = [this] { ++usages; };
    pf.run_program = [this](const std::string& c) {
      runs.push_back(c);
      return true;
    };
    pf.getenv = [this](const char* n) -> const char* { return std::string(n) == "TEMP" ? tmp.c_str() : nullptr; };
    ctx.now_seconds = [this] { return clock; };
    ctx.sleep = [this](unsigned ms) { clock += ms >= 250 ? 1 : 0; };
  }
  std::string Q(const std::string& path) {  // a quoted path for the tokenizer
    std::string q = "\"";
    for (char c : path) {
      if (c == '\\' || c == '"') q += '\\';
      q += c;
    }
    return q + "\"";
  }
};

}  // namespace

TEST(Tokenizer, SplitsQuotesEscapesAndCuts) {
  Tokenizer t("  -CH\t\"a b\\\\c\\n\" plain \"open");
  std::string tok;
  ASSERT_TRUE(t.next(tok, 510));
  EXPECT_EQ(tok, "-CH");
  ASSERT_TRUE(t.next(tok, 510));
  EXPECT_EQ(tok, "a b\\c\n");
  ASSERT_TRUE(t.next(tok, 3));
  EXPECT_EQ(tok, "pla");
  EXPECT_FALSE(t.next(tok, 510));  // quote without its end
  EXPECT_FALSE(t.next(tok, 510));
}

TEST(CommandLine, ExitCodeIsTheLastStatusNumber) {
  Cli c;
  WriteFolder(c.dir.str(), "GOOD", {{SimpleMessage("a")}, {SimpleMessage("b")}});
  EXPECT_EQ(program_entry(c.ctx, c.pf, "-QU -CH " + c.Q(c.dir.File("*.VTM"))), 0);
  WriteFolder(c.dir.str(), "BAD", {{SimpleMessage("a")}, {SimpleMessage("b")}}, Damage::kBadSequence);
  EXPECT_EQ(program_entry(c.ctx, c.pf, "-QU -CH " + c.Q(c.dir.File("BAD.VTM"))), 13);
  EXPECT_EQ(program_entry(c.ctx, c.pf, "-QU -CH " + c.Q(c.dir.File("*.XYZ"))), 41);
  EXPECT_TRUE(c.boxes.empty());
  EXPECT_EQ(c.usages, 0);
}

TEST(CommandLine, ErrorsGoToTheMessageBoxUnlessQuiet) {
  struct Case {
    const char* line;
    const char* box;
    int usages;
  } cases[] = {
      {"-CH", "#033 -CHECK command incomplete or invalid", 0},
      {"-QU -CH", nullptr, 0},
      {"-XY", nullptr, 1},
      {"-QU -XY", nullptr, 0},
      {"-US", "#030 -USER command incomplete or invalid", 0},
      {"-MO a", "#031 -MOVE command incomplete or invalid", 0},
      {"-RE", "#032 -REPAIR command incomplete or invalid", 0},
      {"-WA", "#034 -WAIT command incomplete or invalid", 0},
      {"-CO", "#036 -COMPRESS command incomplete or invalid", 0},
      {"-FI", "#038 -FIXIDS command incomplete or invalid", 0},
      {"-Chx", "#033 -CHECK command incomplete or invalid", 0},
      {"-C x", nullptr, 1},
  };
  for (const auto& k : cases) {
    Cli c;
    EXPECT_EQ(program_entry(c.ctx, c.pf, k.line), 0) << k.line;
    if (k.box)
      EXPECT_EQ(c.boxes, std::vector<std::string>{k.box}) << k.line;
    else
      EXPECT_TRUE(c.boxes.empty()) << k.line;
    EXPECT_EQ(c.usages, k.usages) << k.line;
  }
}

TEST(CommandLine, RunStartsTheRestOfTheLine) {
  Cli c;
  EXPECT_EQ(program_entry(c.ctx, c.pf, "-RU   NOTEPAD.EXE -CH X\r\n"), 0);
  EXPECT_EQ(c.runs, std::vector<std::string>{"NOTEPAD.EXE -CH X"});
  EXPECT_EQ(c.text, "");
}

TEST(CommandLine, PatchFlagSwitch) {
  Cli c;
  std::string e;
  EXPECT_EQ(parse_command_line(c.ctx, c.pf, "-PA N", e), 1);
  EXPECT_FALSE(c.ctx.patch);
  EXPECT_EQ(parse_command_line(c.ctx, c.pf, "-PA y", e), 1);
  EXPECT_TRUE(c.ctx.patch);
  EXPECT_EQ(parse_command_line(c.ctx, c.pf, "-PA", e), 1);
  EXPECT_FALSE(c.ctx.patch);
  EXPECT_EQ(parse_command_line(c.ctx, c.pf, "-PA maybe", e), 1);
  EXPECT_FALSE(c.ctx.patch);
}

TEST(CommandLine, WaitTimesOutWhileALockFileStays) {
  Cli c;
  WriteAll(c.dir.File("MAILBOX1.LCK"), "");
  EXPECT_EQ(program_entry(c.ctx, c.pf, "-WA " + c.Q(c.dir.str())), 0);
  EXPECT_EQ(c.boxes, std::vector<std::string>{"#035 -WAIT command timed out waiting for lock to expire"});
  EXPECT_EQ(c.clock, 11);
  std::filesystem::remove(c.dir.File("MAILBOX1.LCK"));
  c.boxes.clear();
  c.clock = 0;
  EXPECT_EQ(program_entry(c.ctx, c.pf, "-WA " + c.Q(c.dir.str()) + " -QU"), 0);
  EXPECT_EQ(c.clock, 0);
  EXPECT_TRUE(c.boxes.empty());
}

TEST(CommandLine, RepairThenFixIdsAndGoOn) {
  Cli c;
  Folder f = WriteFolder(c.dir.str(), "IN", {{"X-VTFLAGS: 0 0 0 A.CNM\r\n\r\n"}, {"X-VTFLAGS: 0 0 0 B.CNM\r\n\r\n"}});
  WriteAll(f.index, "");
  EXPECT_EQ(program_entry(c.ctx, c.pf, "-QU -RE " + c.Q(f.master) + " -CH " + c.Q(f.master)), 0);
  EXPECT_NE(c.text.find("No ID corrections were required in folder 'IN.VTM'."), std::string::npos);
  EXPECT_NE(c.text.find("Folder appears OK"), std::string::npos);
  EXPECT_EQ(ReadAll(f.index).size(), 2 * 118u);
}

TEST(CommandFile, RunsEveryLineAndDeletesItselfWithDe) {
  Cli c;
  WriteFolder(c.dir.str(), "IN", {{SimpleMessage("a")}, {SimpleMessage("b")}}, Damage::kMissingCtrlZ);
  std::string cmd = c.dir.File("cmds.txt");
  WriteAll(cmd, "-QU\r\n-CH " + c.Q(c.dir.File("IN.VTM")) + "\r\n-DE\r\n");
  EXPECT_EQ(program_entry(c.ctx, c.pf, c.Q(cmd)), 16);
  EXPECT_FALSE(std::filesystem::exists(cmd));
}

TEST(CommandFile, FailingLineStopsWithZero) {
  Cli c;
  std::string cmd = c.dir.File("cmds.txt");
  WriteAll(cmd, "-CH " + c.Q(c.dir.File("*.XYZ")) + "\r\n\r\n-DE\r\n");
  EXPECT_EQ(program_entry(c.ctx, c.pf, c.Q(cmd)), 0);
  EXPECT_EQ(c.usages, 1);  // the blank line
  EXPECT_TRUE(std::filesystem::exists(cmd));
  Cli d;
  d.ctx.quiet = true;  // cannot be set from outside the file: the box still shows
  EXPECT_EQ(program_entry(d.ctx, d.pf, c.Q(c.dir.File("none.txt"))), 0);
  EXPECT_EQ(d.boxes.size(), 1u);
  EXPECT_EQ(d.boxes[0].substr(0, 27), "Could not open command file");
}
