#include <gtest/gtest.h>

#include <random>

#include "check.h"
#include "fixture.h"
#include "format.h"
#include "repair.h"
#include "testutil.h"

using namespace foldmend;
using namespace foldmend_test;

namespace {

struct RepairRun : Recorded {
  ScratchDir dir, tmp;
  std::string tmpdir = tmp.str();
  std::function<const char*(const char*)> env = [this](const char* n) -> const char* {
    return std::string(n) == "TEMP" ? tmpdir.c_str() : nullptr;
  };
};

std::vector<Record> Records(const std::string& index) {
  std::string b = ReadAll(index);
  std::vector<Record> out(b.size() / kRecordSize);
  for (std::size_t i = 0; i < out.size(); ++i) std::memcpy(out[i].b.data(), &b[i * kRecordSize], kRecordSize);
  return out;
}

}  // namespace

TEST(Repair, RebuildsTheIndexFromTheMaster) {
  RepairRun r;
  std::string m1 = "X-VTFLAGS: 4194432 5 196608 KEEP1.CNM\r\nFrom: \"Ann\" <ann@x>\r\n"
                   "Subject: Hello\r\nDate: Mon, 7 Mar 2011 09:05:00 +0100\r\n\r\nbody\r\n";
  std::string m2 = "Subject: no flags\r\n\r\nbody\r\n";
  Folder f = WriteFolder(r.dir.str(), "IN", {{m1}, {m2}});
  WriteAll(f.index, "garbage");
  std::string before = ReadAll(f.master);
  EXPECT_EQ(repair_folder(r.ctx, f.master, r.env), 1);
  EXPECT_EQ(r.text, "");
  auto recs = Records(f.index);
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].flags(), 0x02000080u);  // 0x00400000 cleared, From bit added after
  EXPECT_EQ(recs[0].id(), "KEEP1.CNM");
  EXPECT_EQ(recs[0].offset(), 128u);
  EXPECT_EQ(recs[0].length(), m1.size() + 1);
  EXPECT_EQ(recs[0].sequence(), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&recs[0].b[24])), "Ann");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&recs[0].b[54])), "Hello");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&recs[0].b[90])), "7 Mar 11 9:05");
  EXPECT_EQ(static_cast<std::int16_t>(get16(&recs[0].b[106])), -60);
  EXPECT_EQ(recs[0].b[108], 5);
  EXPECT_EQ(recs[0].b[109], 3);
  EXPECT_EQ(static_cast<std::int32_t>(get32(&recs[0].b[110])), 11349125);
  EXPECT_EQ(recs[1].id().size(), 12u);
  EXPECT_EQ(recs[1].id().substr(8), ".CNR");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&recs[1].b[24])), "Unknown");
  EXPECT_EQ(static_cast<std::int32_t>(get32(&recs[1].b[110])), -48255840);
  std::string after = ReadAll(f.master);
  EXPECT_EQ(after.substr(128), before.substr(128));
  EXPECT_EQ(get16(reinterpret_cast<const unsigned char*>(&after[56])), 1);  // one without 0x80
  for (int off : {58, 80, 82}) EXPECT_EQ(get16(reinterpret_cast<const unsigned char*>(&after[off])), 0);
  EXPECT_EQ(get32(reinterpret_cast<const unsigned char*>(&after[60])), 0u);
  EXPECT_EQ(after.substr(0, 56), before.substr(0, 56));
  EXPECT_FALSE(std::filesystem::exists(f.master + ".old"));
  EXPECT_TRUE(r.tmp.List().empty());
  std::string line;
  EXPECT_EQ(check_folder(r.ctx, f.master, line), 0);
}

TEST(Repair, CleansNulAndDoubledCtrlZIntoABackup) {
  for (Damage d : {Damage::kNulBytes, Damage::kDoubledCtrlZ}) {
    RepairRun r;
    Folder f = WriteFolder(r.dir.str(), "IN", {{SimpleMessage("a")}, {SimpleMessage("b")}}, d);
    std::string damaged = ReadAll(f.master);
    EXPECT_EQ(repair_folder(r.ctx, f.master, r.env), 1);
    EXPECT_EQ(ReadAll(f.master + ".old"), damaged);
    std::string clean = ReadAll(f.master);
    EXPECT_EQ(clean.find('\0', 128), std::string::npos);
    EXPECT_EQ(clean.find("\x1A\x1A"), std::string::npos);
    EXPECT_EQ(Records(f.index).size(), 2u);
    // A second repair that needs cleaning while the backup exists fails.
    WriteAll(f.master, damaged);
    r.text.clear();
    EXPECT_EQ(repair_folder(r.ctx, f.master, r.env), 0);
    EXPECT_EQ(r.text, "#075 Error renaming damaged master folder.\r\n");
    EXPECT_EQ(ReadAll(f.master), damaged);
  }
}

TEST(Repair, RejectedMessageGetsNoRecordAndLastMessageRunsToTheEnd) {
  RepairRun r;
  Folder f = WriteFolder(r.dir.str(), "IN", {{"Subject: a\r\n\r\n"}, {"SMF-71 x\r\n\r\n"}, {"Subject: c\r\n\r\nend"}});
  std::string m = ReadAll(f.master);
  m.pop_back();
  WriteAll(f.master, m);
  EXPECT_EQ(repair_folder(r.ctx, f.master, r.env), 1);
  EXPECT_EQ(r.text, "#008 Parser failure during rebuild operation (badly corrupt master file?)\r\n");
  auto recs = Records(f.index);
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[1].sequence(), 1);
  EXPECT_EQ(recs[1].offset() + recs[1].length(), m.size());
}

TEST(Repair, FailuresReportTheirNumbers) {
  RepairRun r;
  EXPECT_EQ(repair_folder(r.ctx, r.dir.File("NONE.VTM"), r.env), 0);
  EXPECT_EQ(r.text,
            "#072 Could not open the specified folder master file.\r\n"
            "#074 Unable to proceed with rebuild operation.\r\n");
  EXPECT_EQ(r.ctx.out.status(), 74);
}

TEST(Repair, ShortMasterGetsAWholeHeader) {
  RepairRun r;
  WriteAll(r.dir.File("S.VTM"), "abc");
  EXPECT_EQ(repair_folder(r.ctx, r.dir.File("S.VTM"), r.env), 1);
  EXPECT_EQ(ReadAll(r.dir.File("S.VTM")).size(), 128u);
  EXPECT_EQ(ReadAll(r.dir.File("S.VTI")), "");
}

TEST(CleanMaster, DropsExactlyWhatABytewiseCopyDrops) {
  auto reference = [](const std::string& in, bool& dropped) {
    std::string out = in.substr(0, std::min<std::size_t>(in.size(), 128));
    bool last_z = false;
    dropped = false;
    for (std::size_t i = 128; i < in.size(); ++i) {
      char c = in[i];
      if (c == '\0' || (c == '\x1A' && last_z)) {
        dropped = true;
        continue;
      }
      last_z = c == '\x1A';
      out += c;
    }
    return out;
  };
  std::mt19937 gen(3);
  std::vector<std::string> inputs = {std::string(127, '\x1A'), std::string(128, '\0') + "\x1A\x1A",
                                     std::string(128, 'h') + "\x1A" + "a"};
  for (std::size_t at : {std::size_t(65536), std::size_t(65536 + 128), std::size_t(70000)}) {
    std::string big(140000, 'x');
    big[at - 1] = '\x1A';
    big[at] = '\x1A';  // a pair across (or beside) the read boundary
    inputs.push_back(big);
    std::string nul(140000, 'y');
    nul[at] = '\0';
    inputs.push_back(nul);
  }
  for (int k = 0; k < 40; ++k) {
    std::string s(128 + gen() % 300, 'a');
    for (auto& c : s) c = "ab\x1A\x1A\0"[gen() % 5];
    inputs.push_back(s);
  }
  for (const auto& in : inputs) {
    RepairRun r;
    WriteAll(r.dir.File("M.VTM"), in);
    bool dropped;
    std::string expect = reference(in, dropped);
    int got = clean_master(r.ctx, r.dir.File("M.VTM"), r.dir.File("T.TMP"));
    EXPECT_EQ(got, dropped ? 1 : 2);
    if (dropped) {
      EXPECT_TRUE(ReadAll(r.dir.File("T.TMP")) == expect) << "input size " << in.size();
    }
  }
}
