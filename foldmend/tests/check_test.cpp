#include <gtest/gtest.h>

#include "check.h"
#include "fixture.h"
#include "format.h"
#include "testutil.h"

using namespace foldmend;
using namespace foldmend_test;

namespace {

std::vector<Message> Three() {
  return {{SimpleMessage("one")}, {SimpleMessage("two")}, {SimpleMessage("three")}};
}

}  // namespace

TEST(CheckFolder, ReportsEachDamageWithItsStatusAndLine) {
  struct Case {
    Damage damage;
    int status;
    const char* line;
  } cases[] = {
      {Damage::kNone, 0, "No problems were encountered in this folder\r\n"},
      {Damage::kBadSequence, 5, "#013 IMESSAGE numbering sequence is invalid in index\r\n"},
      {Damage::kOffsetOutOfBounds, 6, "#014 Location indicated in master file is out of bounds\r\n"},
      {Damage::kMissingCtrlZ, 8, "#016 Character before start of message is not Ctrl+Z.\r\n"},
      {Damage::kDuplicateIds, 9, "#017 Folder contains 1 messages with non-unique IDs"},
      {Damage::kTruncatedIndex, 3, "#011 Index file length not multiple of IMESSAGE size\r\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    Recorded r;
    Folder f = WriteFolder(dir.str(), "IN", Three(), c.damage);
    std::string line;
    EXPECT_EQ(check_folder(r.ctx, f.master, line), c.status);
    EXPECT_EQ(line, c.line);
  }
}

TEST(CheckFolder, MissingFilesAndEmptyIndex) {
  ScratchDir dir;
  Recorded r;
  std::string line;
  EXPECT_EQ(check_folder(r.ctx, dir.File("NONE.VTM"), line), 1);
  EXPECT_EQ(line, "#009 Error opening folder master file\r\n");
  WriteAll(dir.File("A.VTM"), "x");
  EXPECT_EQ(check_folder(r.ctx, dir.File("A.VTM"), line), 2);
  EXPECT_EQ(line, "#010 Error opening folder index file\r\n");
  WriteAll(dir.File("A.VTI"), "");
  EXPECT_EQ(check_folder(r.ctx, dir.File("A"), line), 0);  // ".VTM" appended
  WriteAll(dir.File("A.VTI"), std::string(119, 'x'));
  EXPECT_EQ(check_folder(r.ctx, dir.File("A.VTM"), line), 3);
  EXPECT_EQ(r.text, "");
}

TEST(CheckFolder, CtrlZTestStartsWithTheSecondRecordAndAcceptsTheEnd) {
  ScratchDir dir;
  Recorded r;
  Folder f = WriteFolder(dir.str(), "IN", {{"no ctrl z here"}});
  std::string m = ReadAll(f.master);
  m.pop_back();  // first message without its Ctrl+Z
  WriteAll(f.master, m);
  std::string line;
  EXPECT_EQ(check_folder(r.ctx, f.master, line), 0);
  // A second record at the very end of the master passes the bounds test.
  Record rec;
  rec.set_offset(static_cast<std::uint32_t>(m.size()));
  rec.set_sequence(1);
  rec.set_id("B");
  std::string idx = ReadAll(f.index) + std::string(reinterpret_cast<char*>(rec.b.data()), kRecordSize);
  WriteAll(f.index, idx);
  EXPECT_EQ(check_folder(r.ctx, f.master, line), 8);
  EXPECT_EQ(r.text, "Message 0: expected Ctrl+Z at offset " + std::to_string(m.size() - 1) + ".\r\n");
}

TEST(CheckFolder, DuplicatesAreExactAndWarnedBeforeALaterFault) {
  ScratchDir dir;
  Recorded r;
  std::vector<Message> msgs = {{"a", 0, "ABCDEFGH.CNM"}, {"b", 0, "abcdefgh.CNM"}, {"c", 0, "X"}, {"d", 0, "X"},
                               {"e", 0, "X"}};
  Folder f = WriteFolder(dir.str(), "IN", msgs);
  std::string line;
  EXPECT_EQ(check_folder(r.ctx, f.master, line), 9);
  EXPECT_EQ(line, "#017 Folder contains 2 messages with non-unique IDs");
  EXPECT_EQ(r.text,
            "\r\nWarning: message 3 has non-unique ID part (X)\r\n"
            "Warning: message 4 has non-unique ID part (X)\r\n");
  // A wrong sequence after the duplicate: the warning, then status 5.
  std::string idx = ReadAll(f.index);
  idx[4 * kRecordSize + 8] = 9;
  WriteAll(f.index, idx);
  r.text.clear();
  EXPECT_EQ(check_folder(r.ctx, f.master, line), 5);
  EXPECT_EQ(r.text, "\r\nWarning: message 3 has non-unique ID part (X)\r\n");
}

TEST(CheckMatching, StopsAtTheFirstDamagedFolder) {
  ScratchDir dir;
  Recorded r;
  WriteFolder(dir.str(), "A", Three());
  WriteFolder(dir.str(), "B", Three(), Damage::kDuplicateIds);
  EXPECT_EQ(check_matching(r.ctx, dir.File("A.VTM")), 0);
  EXPECT_EQ(r.text, "Checking 'A.VTM'...\r\nFolder appears OK - no consistency errors encountered.\r\n");
  r.text.clear();
  EXPECT_EQ(check_matching(r.ctx, dir.File("B.vtm")), 9);
  EXPECT_EQ(r.text,
            "Checking 'B.VTM'...\r\n\r\nWarning: message 1 has non-unique ID part (M0.CNM)\r\n"
            "!! Found internal consistency error:\r\n"
            "#017 Folder contains 1 messages with non-unique IDs\r\n"
            "** Note **\r\n"
            "Non-unique IDs are only a problem if you access this folder via IMAP.\r\n"
            "You can fix non-unique IDs using the 'Fix IDs' tab without otherwise\r\n"
            "altering or rebuilding the folder.\r\n");
  EXPECT_EQ(r.ctx.out.status(), 17);
  r.text.clear();
  EXPECT_EQ(check_matching(r.ctx, dir.File("*.XYZ")), 1);
  EXPECT_EQ(r.text, "#041 No matching folder files found.\r\n");
  EXPECT_EQ(r.ctx.out.status(), 41);
}
