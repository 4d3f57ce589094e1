#include <gtest/gtest.h>

#include <cctype>
#include <random>

#include "fixids.h"
#include "fixture.h"
#include "format.h"
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

bool SameId(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The walk over all pairs, written plainly: the reference for the grouped one.
int ReferenceFix(Context& ctx, std::vector<Record>& recs) {
  int count = 0;
  auto make = [&](std::size_t r) {
    for (int a = 0; a < 30; ++a) {
      std::string id = ctx.draw8(ctx.fix_counter) + ".CNM";
      bool clash = false;
      for (const auto& x : recs) clash = clash || SameId(x.id(), id);
      if (!clash) {
        recs[r].set_id(id);
        return true;
      }
    }
    return false;
  };
  for (std::size_t j = 0; j < recs.size(); ++j)
    for (std::size_t k = j + 1; k < recs.size(); ++k) {
      if (!SameId(recs[j].id(), recs[k].id())) continue;
      std::size_t r = !(recs[k].flags() & kFlagKeepId) ? k : !(recs[j].flags() & kFlagKeepId) ? j : k;
      if (!make(r)) return -1;
      ++count;
    }
  return count;
}

}  // namespace

TEST(FixIds, GivesTheSameIdsInTheSameOrderAsTheAllPairsWalk) {
  std::mt19937 gen(42);
  for (int round = 0; round < 30; ++round) {
    ScratchDir dir;
    std::vector<Message> msgs;
    int n = 1 + static_cast<int>(gen() % 60);
    for (int i = 0; i < n; ++i) {
      std::string id = "ID" + std::to_string(gen() % 6);
      if (gen() % 2) id[0] = 'i';
      msgs.push_back({"m", (gen() % 3 == 0) ? kFlagKeepId : 0u, id});
    }
    Folder f = WriteFolder(dir.str(), "IN", msgs);
    std::vector<Record> expect = Records(f.index);
    Context ref;
    ref.rng.seed(static_cast<std::uint32_t>(round));
    int expected_count = ReferenceFix(ref, expect);
    Recorded r;
    r.ctx.rng.seed(static_cast<std::uint32_t>(round));
    EXPECT_EQ(fix_ids_folder(r.ctx, f.master), expected_count);
    auto got = Records(f.index);
    ASSERT_EQ(got.size(), expect.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].b, expect[i].b) << "round " << round << " rec " << i;
  }
}

TEST(FixIds, ChoosesWhoGetsTheNewId) {
  struct Case {
    std::vector<std::uint32_t> flags;
    std::vector<bool> changed;
  } cases[] = {
      {{0, 0, 0}, {false, true, true}},
      {{0, kFlagKeepId}, {true, false}},
      {{kFlagKeepId, kFlagKeepId}, {false, true}},
      {{kFlagKeepId, 0}, {false, true}},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    Recorded r;
    std::vector<Message> msgs;
    for (auto fl : c.flags) msgs.push_back({"m", fl, "ABCDEFGH.CNM"});
    Folder f = WriteFolder(dir.str(), "IN", msgs);
    WriteAll(dir.File("IN.VNM"), "map");
    int changes = 0;
    for (bool ch : c.changed) changes += ch;
    EXPECT_EQ(fix_ids_folder(r.ctx, f.master), changes);
    auto recs = Records(f.index);
    for (std::size_t i = 0; i < recs.size(); ++i) {
      EXPECT_EQ(recs[i].id() != "ABCDEFGH.CNM", c.changed[i]);
      if (c.changed[i]) {
        EXPECT_EQ(recs[i].id().substr(8), ".CNM");
        EXPECT_EQ(recs[i].b[22], 0);
        EXPECT_EQ(recs[i].b[23], 0);
      }
    }
    EXPECT_EQ(r.text, "Made " + std::to_string(changes) +
                          " ID corrections to folder 'IN.VTM'.\r\n"
                          "CorvaneI UID mapping file 'IN.VNM' is now invalid - removing it.\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("IN.VNM")));
  }
}

TEST(FixIds, CaseOnlyDifferenceIsADuplicateAndDistinctIdsChangeNothing) {
  ScratchDir dir;
  Recorded r;
  Folder f = WriteFolder(dir.str(), "IN", {{"a", 0, "ABCDEFGH.CNM"}, {"b", 0, "abcdefgh.CNM"}});
  EXPECT_EQ(fix_ids_folder(r.ctx, f.master), 1);
  Folder g = WriteFolder(dir.str(), "OK", {{"a", 0, "A"}, {"b", 0, "B"}});
  WriteAll(dir.File("OK.VNM"), "map");
  std::string before = ReadAll(g.index);
  r.text.clear();
  EXPECT_EQ(fix_ids_folder(r.ctx, g.master), 0);
  EXPECT_EQ(r.text, "No ID corrections were required in folder 'OK.VTM'.\r\n");
  EXPECT_EQ(ReadAll(g.index), before);
  EXPECT_TRUE(std::filesystem::exists(dir.File("OK.VNM")));
}

TEST(FixIds, EmptyInvalidAndMissingIndexes) {
  ScratchDir dir;
  Recorded r;
  WriteAll(dir.File("E.VTI"), "");
  EXPECT_EQ(fix_ids_folder(r.ctx, dir.File("E.VTM")), 0);
  WriteAll(dir.File("B.VTI"), "x");
  EXPECT_EQ(fix_ids_folder(r.ctx, dir.File("B.VTM")), -1);
  EXPECT_EQ(fix_ids_folder(r.ctx, dir.File("N.VTM")), -1);
  EXPECT_EQ(r.text,
            "Folder contains no messages - nothing to do.\r\n"
            "#045 Folder index is an invalid size - aborting.\r\n"
            "#039 Could not open the specified folder's existing index file.\r\n");
}

TEST(FixIds, WildcardOverMasterAndIndexProcessesTheFolderTwice) {
  ScratchDir dir;
  Recorded r;
  WriteFolder(dir.str(), "IN", {{"a", 0, "X"}, {"b", 0, "X"}});
  EXPECT_EQ(fix_ids_matching(r.ctx, dir.File("IN.*")), 1);
  EXPECT_NE(r.text.find("Made 1 ID corrections"), std::string::npos);
  EXPECT_NE(r.text.find("No ID corrections were required"), std::string::npos);
  r.text.clear();
  EXPECT_EQ(fix_ids_matching(r.ctx, dir.File("NONE.*")), 1);
  EXPECT_EQ(r.text, "#041 No matching folder files found.\r\n");
}
