// Marking a message: subject tag, read-receipt headers, top lines, safe save.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "baymark.h"
#include "msgsave.h"
#include "testutil.h"

namespace chaffguard {
namespace {

using V = std::vector<std::string>;

TEST(MarkMessage, SubjectIsTaggedOnce) {
  struct Case { V in; V want; } cases[] = {
      {{"Subject: cheap", "", "Subject: body"}, {"Subject: [SPAM] cheap", "", "Subject: body"}},
      {{"Subject: [SPAM] cheap"}, {"Subject: [SPAM] cheap"}},
      {{"SUBJECT:x", "subject-x: y"}, {"SUBJECT: [SPAM]x", "subject-x: [SPAM] y"}},
      {{"Subject without colon"}, {"Subject without colon"}},
  };
  for (auto& c : cases) {
    TagSubject(c.in, "SPAM");
    EXPECT_EQ(c.in, c.want);
  }
  V untouched{"Subject: a"};
  TagSubject(untouched, "");
  EXPECT_EQ(untouched, V{"Subject: a"});
}

TEST(MarkMessage, ReadReceiptHeadersGoWithTheirContinuations) {
  V lines{"From: a", "Return-Receipt-To: a@b", "X-Confirm-Reading-To: a@b", "\tcontinued",
          "X-VTRQC: 1", "Subject: s", "", "Return-Receipt-To: in body"};
  RemoveReadReceipts(lines);
  EXPECT_EQ(lines, (V{"From: a", "Subject: s", "", "Return-Receipt-To: in body"}));
}

TEST(MarkMessage, TopLinesEndUpInReverseInsertionOrder) {
  V lines{"Subject: s"};
  InsertTopLine(lines, "X-CHAFFGUARD", "SPAM detected!");
  InsertTopLine(lines, "X-CHAFFGUARD", "probability - 100.0%");
  EXPECT_EQ(lines, (V{"X-CHAFFGUARD: probability - 100.0%", "X-CHAFFGUARD: SPAM detected!", "Subject: s"}));
}

TEST(MarkMessage, ReplacingAFileWritesCrLfOrLeavesTheOldText) {
  cg_test::ScratchDir dir;
  const std::string path = dir.File("job.msg");
  cg_test::WriteFile(path, "old\r\n");
  ReplaceFileLines(path, {"a", "b"});
  EXPECT_EQ(cg_test::ReadFile(path), "a\r\nb\r\n");
  // The temporary file cannot be created: the old message stays.
  std::filesystem::create_directory(path + ".cgtmp");
  EXPECT_THROW(ReplaceFileLines(path, {"new"}), std::runtime_error);
  EXPECT_EQ(cg_test::ReadFile(path), "a\r\nb\r\n");
}

}  // namespace
}  // namespace chaffguard
