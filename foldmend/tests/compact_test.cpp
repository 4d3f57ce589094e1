#include <gtest/gtest.h>

#include "check.h"
#include "compact.h"
#include "fileio.h"
#include "fixture.h"
#include "format.h"
#include "repair.h"
#include "testutil.h"

using namespace foldmend;
using namespace foldmend_test;

namespace {

std::vector<Record> Records(const std::string& index) {
  std::string b = ReadAll(index);
  std::vector<Record> out(b.size() / kRecordSize);
  for (std::size_t i = 0; i < out.size(); ++i) std::memcpy(out[i].b.data(), &b[i * kRecordSize], kRecordSize);
  return out;
}

// Message texts of a folder, in index order.
std::vector<std::string> Texts(const Folder& f) {
  std::string m = ReadAll(f.master);
  std::vector<std::string> out;
  for (const auto& r : Records(f.index)) {
    std::string t = m.substr(r.offset(), r.length());
    while (!t.empty() && t.back() == '\x1A') t.pop_back();
    out.push_back(t);
  }
  return out;
}

}  // namespace

TEST(Compact, DropsDeletedMessagesAndRenumbers) {
  ScratchDir dir;
  Recorded r;
  Folder f = WriteFolder(dir.str(), "IN",
                         {{SimpleMessage("a")}, {SimpleMessage("b"), kFlagDeleted}, {SimpleMessage("c")}});
  std::string header = ReadAll(f.master).substr(0, 128);
  EXPECT_EQ(compact_folder(r.ctx, f.master), 1);
  EXPECT_EQ(Texts(f), (std::vector<std::string>{SimpleMessage("a"), SimpleMessage("c")}));
  auto recs = Records(f.index);
  EXPECT_EQ(recs[1].sequence(), 1);
  EXPECT_EQ(recs[0].length(), SimpleMessage("a").size());  // without the Ctrl+Z
  std::string m = ReadAll(f.master);
  EXPECT_EQ(m.size(), 128 + SimpleMessage("a").size() + SimpleMessage("c").size() + 2);
  EXPECT_EQ(m.substr(0, 58), header.substr(0, 58));
  EXPECT_EQ(m.substr(64), m.substr(64));
  EXPECT_EQ(m.substr(58, 6), std::string(6, '\0'));
  EXPECT_EQ(m.substr(64, 64), header.substr(64, 64));
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"IN.VTI", "IN.VTM"}));
  std::string expect = "Compacting folder '" + f.master.substr(0, 50) +
                       "':\r\nPerforming pre-compaction consistency check...\r\n"
                       "Checking 'IN.VTM'...\r\nFolder appears OK - no consistency errors encountered.\r\n"
                       "Now compacting folder to recover space occupied by deleted messages...\r\n"
                       "Folder '" + f.master.substr(0, 50) + "' successfully compacted.\r\n";
  EXPECT_EQ(r.text, expect);
}

TEST(Compact, KeepsExactlyOneCtrlZAndHandlesAllDeleted) {
  ScratchDir dir;
  Recorded r;
  Folder f = WriteFolder(dir.str(), "IN", {{"a"}, {"b"}});
  auto recs = Records(f.index);
  std::string m = ReadAll(f.master);
  m.insert(128 + 2, "\x1A\x1A");  // message a now ends in three Ctrl+Z
  WriteAll(f.master, m);
  recs[0].set_length(4);
  recs[1].set_offset(recs[1].offset() + 2);
  std::string idx;
  for (auto& x : recs) idx.append(reinterpret_cast<char*>(x.b.data()), kRecordSize);
  WriteAll(f.index, idx);
  EXPECT_EQ(compact_folder(r.ctx, f.master), 1);
  EXPECT_EQ(ReadAll(f.master).substr(128), "a\x1A" "b\x1A");
  Folder g = WriteFolder(dir.str(), "DEL", {{"a", kFlagDeleted}, {"b", kFlagDeleted}});
  EXPECT_EQ(compact_folder(r.ctx, g.master), 1);
  EXPECT_EQ(ReadAll(g.master).size(), 128u);
  EXPECT_EQ(ReadAll(g.index), "");
}

TEST(Compact, AnEmptyFirstMessageKeepsTheFolderValid) {
  // A first message of Ctrl+Z only is empty after one compaction; the next
  // compaction must still leave a Ctrl+Z in front of the second message.
  ScratchDir dir;
  Recorded r;
  Folder f = WriteFolder(dir.str(), "IN", {{"\x1A"}, {"b"}});
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(compact_folder(r.ctx, f.master), 1);
    EXPECT_EQ(ReadAll(f.master).substr(128), "\x1A" "b\x1A");
    auto recs = Records(f.index);
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].length(), 0u);
    EXPECT_EQ(recs[1].offset(), 129u);
    std::string line;
    EXPECT_EQ(check_folder(r.ctx, f.master, line), 0) << line;
  }
}

TEST(Compact, RefusesAFolderThatFailsTheCheck) {
  ScratchDir dir;
  Recorded r;
  Folder f = WriteFolder(dir.str(), "IN", {{"a"}, {"b"}}, Damage::kDuplicateIds);
  std::string before = ReadAll(f.master);
  EXPECT_EQ(compact_folder(r.ctx, f.master), 0);
  EXPECT_EQ(r.ctx.out.status(), 17);
  EXPECT_NE(r.text.find("#017 Could not compact folder because it failed a consistency check.\r\n"),
            std::string::npos);
  EXPECT_EQ(ReadAll(f.master), before);
  r.text.clear();
  compact_matching(r.ctx, dir.File("*.XYZ"));
  EXPECT_EQ(r.text, "");
}

TEST(Compact, IoErrorLeavesTheFolderAndNoWorkFiles) {
  ScratchDir dir;
  Recorded r;
  Folder f = WriteFolder(dir.str(), "IN", {{"a"}, {"b"}});
  auto recs = Records(f.index);
  recs[1].set_length(100000);  // runs past the end of the master
  std::string idx;
  for (auto& x : recs) idx.append(reinterpret_cast<char*>(x.b.data()), kRecordSize);
  WriteAll(f.index, idx);
  std::string m = ReadAll(f.master);
  EXPECT_EQ(compact_folder(r.ctx, f.master), 0);
  EXPECT_EQ(r.ctx.out.status(), 25);
  EXPECT_EQ(ReadAll(f.master), m);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"IN.VTI", "IN.VTM"}));
}

// Stops the compaction at every file-system change in turn, as a kill would,
// then checks that the folder is whole: the old one, the new one, or one
// that a repair brings back with every live message.
TEST(Compact, NoMessageIsLostWhereverTheProcessStops) {
  struct Killed {};
  std::vector<std::string> live = {SimpleMessage("a"), SimpleMessage("c"), SimpleMessage("d")};
  for (int stop_at = 1;; ++stop_at) {
    ScratchDir dir, tmp;
    Recorded r;
    Folder f = WriteFolder(dir.str(), "IN",
                           {{live[0]}, {SimpleMessage("b"), kFlagDeleted}, {live[1]}, {live[2]}});
    int count = 0;
    set_mutation_hook([&] {
      if (++count == stop_at) throw Killed{};
    });
    bool finished = false;
    try {
      finished = compact_folder(r.ctx, f.master) == 1;
    } catch (const Killed&) {
    }
    set_mutation_hook(nullptr);
    std::string line;
    int status = check_folder(r.ctx, f.master, line);
    if (status != 0) {
      std::string t = tmp.str();
      auto env = [&](const char* n) -> const char* { return std::string(n) == "TEMP" ? t.c_str() : nullptr; };
      ASSERT_EQ(repair_folder(r.ctx, f.master, env), 1) << "stop " << stop_at << ": " << r.text;
    }
    auto texts = Texts(f);
    for (const auto& m : live)
      EXPECT_NE(std::find(texts.begin(), texts.end(), m), texts.end()) << "stop " << stop_at;
    if (finished) {
      EXPECT_EQ(texts, live);
      EXPECT_GT(stop_at, 5);
      break;
    }
    ASSERT_LT(stop_at, 50);
  }
}

TEST(Repair, NoMessageIsLostWhereverTheProcessStops) {
  struct Killed {};
  for (int stop_at = 1;; ++stop_at) {
    ScratchDir dir, tmp;
    Recorded r;
    std::vector<std::string> live = {SimpleMessage("a"), SimpleMessage("b")};
    Folder f = WriteFolder(dir.str(), "IN", {{live[0]}, {live[1]}}, Damage::kNulBytes);
    std::string t = tmp.str();
    auto env = [&](const char* n) -> const char* { return std::string(n) == "TEMP" ? t.c_str() : nullptr; };
    int count = 0;
    set_mutation_hook([&] {
      if (++count == stop_at) throw Killed{};
    });
    bool finished = false;
    try {
      finished = repair_folder(r.ctx, f.master, env) == 1;
    } catch (const Killed&) {
    }
    set_mutation_hook(nullptr);
    if (!finished) {
      ASSERT_EQ(repair_folder(r.ctx, f.master, env), 1) << "stop " << stop_at << ": " << r.text;
    }
    auto texts = Texts(f);
    ASSERT_EQ(texts.size(), 2u) << "stop " << stop_at;
    EXPECT_EQ(texts[1], live[1]) << "stop " << stop_at;
    if (finished) break;
    ASSERT_LT(stop_at, 50);
  }
}

TEST(Compact, TrailingCtrlZOfLongMessagesAsWithEightKilobyteBlocks) {
  // 8192 + 3 bytes ending in "Z" x 5: only the last block's trailing Ctrl+Z
  // (3 bytes) are dropped; the two at the end of the first block stay.
  ScratchDir dir;
  Recorded r;
  std::string text = std::string(8190, 'q') + std::string(5, '\x1A');
  Folder f = WriteFolder(dir.str(), "IN", {{"x"}});
  std::string m = ReadAll(f.master).substr(0, 128) + text + "\x1A";
  WriteAll(f.master, m);
  auto recs = Records(f.index);
  recs[0].set_length(static_cast<std::uint32_t>(text.size()));
  WriteAll(f.index, std::string(reinterpret_cast<char*>(recs[0].b.data()), kRecordSize));
  EXPECT_EQ(compact_folder(r.ctx, f.master), 1);
  EXPECT_EQ(ReadAll(f.master).substr(128), std::string(8190, 'q') + std::string(3, '\x1A'));
  EXPECT_EQ(Records(f.index)[0].length(), 8192u);
}

// What copying each kept message in 8192-byte blocks gives: the last block
// is the last len % 8192 bytes (8192 when that is 0); its trailing Ctrl+Z
// go, and one Ctrl+Z follows the message.
std::string BlockCopy(const Folder& f) {
  std::string m = ReadAll(f.master), out;
  for (const auto& r : Records(f.index)) {
    if (r.flags() & kFlagDeleted) continue;
    std::string stored = m.substr(r.offset(), r.length());
    std::size_t tail = stored.size() % 8192 == 0 ? 8192 : stored.size() % 8192;
    std::size_t keep = stored.size();
    while (!stored.empty() && keep > stored.size() - tail && stored[keep - 1] == '\x1A') --keep;
    if (!stored.empty()) out += stored.substr(0, keep) + '\x1A';
  }
  return out;
}

// Where two byte strings first differ (their common length when one is a
// prefix of the other), for short failure messages.
std::size_t FirstDifference(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return i;
}

// Folders laid out in the ways a master can hold its messages: the record
// length with or without the Ctrl+Z after the text, gaps of other bytes
// between messages, texts ending in runs of Ctrl+Z around the 8192-byte
// block edge, a last message at the very end of the master. Compaction must
// give what the block copy gives, for the folder as written and again for
// the compacted one (lengths without the Ctrl+Z, messages end to end).
TEST(Compact, EveryLayoutGivesTheBlockCopyResult) {
  std::mt19937 rng(11);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 60; ++round) {
    ScratchDir dir;
    Recorded r;
    Folder f = WriteFolder(dir.str(), "IN", {{"x"}});
    std::string m = ReadAll(f.master).substr(0, 128);
    Record proto = Records(f.index)[0];
    std::string idx;
    int count = 1 + pick(6);
    for (int i = 0; i < count; ++i) {
      if (i > 0 && m.back() != '\x1A') m += '\x1A';  // the check wants one before every message
      int size = pick(3) == 0 ? 8185 + pick(16) : 1 + pick(40);
      std::string text;
      for (int k = 0; k < size; ++k) text += static_cast<char>('a' + pick(26));
      // A run of Ctrl+Z at the end of the text, never all of it: a text of
      // Ctrl+Z only leaves a record of length 0, which gets no Ctrl+Z at
      // the next compaction (a first one then fails the check).
      int zs = pick(3) == 0 ? pick(12) : 0;
      for (int k = 0; k < zs && k + 1 < size; ++k) text[text.size() - 1 - static_cast<std::size_t>(k)] = '\x1A';
      Record rec = proto;
      rec.set_flags(pick(4) == 0 ? kFlagDeleted : 0);
      rec.set_sequence(static_cast<std::uint32_t>(i));
      rec.set_id("L" + std::to_string(i) + ".CNM");
      rec.set_offset(static_cast<std::uint32_t>(m.size()));
      m += text;
      bool bare_end = i + 1 == count && pick(2) == 0;  // the master ends with the text
      if (!bare_end) m += '\x1A';
      // The record length counts the Ctrl+Z after the text, or not.
      rec.set_length(static_cast<std::uint32_t>(text.size() + (!bare_end && pick(2) == 0 ? 1 : 0)));
      if (i + 1 < count && pick(3) == 0) m += std::string(static_cast<std::size_t>(1 + pick(5)), pick(2) ? 'g' : '\x1A');
      idx.append(reinterpret_cast<const char*>(rec.b.data()), kRecordSize);
    }
    WriteAll(f.master, m);
    WriteAll(f.index, idx);
    for (int pass = 0; pass < 2; ++pass) {
      std::string expect = BlockCopy(f);
      ASSERT_EQ(compact_folder(r.ctx, f.master), 1) << "round " << round << " pass " << pass << ": " << r.text;
      std::string got = ReadAll(f.master).substr(128);
      EXPECT_TRUE(got == expect) << "round " << round << " pass " << pass << ": " << got.size() << " bytes, "
                                 << expect.size() << " expected, first difference at " << FirstDifference(got, expect);
      std::string line;
      EXPECT_EQ(check_folder(r.ctx, f.master, line), 0) << "round " << round << ": " << line;
    }
  }
}
