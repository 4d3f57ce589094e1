#include <gtest/gtest.h>

#include <random>

#include "check.h"
#include "compact.h"
#include "fixids.h"
#include "fixture.h"
#include "format.h"
#include "repair.h"
#include "testutil.h"

using namespace foldmend;
using namespace foldmend_test;

namespace {

std::string RecordBytes(std::uint32_t flags, std::uint32_t offset, std::uint32_t seq, std::uint32_t length) {
  Record r;
  r.set_flags(flags);
  r.set_offset(offset);
  r.set_sequence(seq);
  r.set_length(length);
  std::memset(&r.b[10], 'Q', kIdField);  // an ID field without its NUL
  return std::string(reinterpret_cast<char*>(r.b.data()), kRecordSize);
}

}  // namespace

// Every operation ends, with a status in its range, on folders of any shape.
TEST(HostileFolders, EveryOperationEndsWithAStatus) {
  std::mt19937 gen(11);
  std::string random_bytes(5000, '\0');
  for (auto& c : random_bytes) c = static_cast<char>(gen());
  std::string many;
  for (std::uint32_t i = 0; i < 65537; ++i) many += RecordBytes(0, 128, i, 1);
  struct Case {
    const char* name;
    std::string master, index;
  } cases[] = {
      {"short master", "abc", RecordBytes(0, 128, 0, 5)},
      {"huge offset and length", std::string(200, 'x'), RecordBytes(0, 0xFFFFFFFF, 0, 0xFFFFFFFF)},
      {"huge length", std::string(200, 'x'), RecordBytes(0, 128, 0, 0xFFFFFFF0)},
      {"random", random_bytes, random_bytes.substr(0, 118 * 20)},
      {"65537 records", std::string(129, 'x'), many},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    Recorded r;
    std::string tmp = dir.str();
    auto env = [&](const char* n) -> const char* { return std::string(n) == "TEMP" ? tmp.c_str() : nullptr; };
    std::string m = dir.File("H.VTM");
    WriteAll(m, c.master);
    WriteAll(dir.File("H.VTI"), c.index);
    std::string line;
    int st = check_folder(r.ctx, m, line);
    EXPECT_TRUE(st >= 0 && st <= 9) << c.name;
    EXPECT_LE(line.size(), 100u) << c.name;
    int fx = fix_ids_folder(r.ctx, m);
    EXPECT_GE(fx, -1) << c.name;
    int cp = compact_folder(r.ctx, m);
    EXPECT_TRUE(cp == 0 || cp == 1) << c.name;
    EXPECT_EQ(repair_folder(r.ctx, m, env), 1) << c.name;
    EXPECT_GE(fix_ids_folder(r.ctx, m), 0) << c.name;
  }
}

TEST(HostileFolders, SixtyFiveThousandFiveHundredThirtySevenRecordsFailTheSequenceTest) {
  ScratchDir dir;
  Recorded r;
  std::string idx;
  std::string master = FolderHeaderBytes();
  for (std::uint32_t i = 0; i < 65537; ++i) {
    idx += RecordBytes(0, static_cast<std::uint32_t>(master.size()), i, 2);
    master += "m\x1A";
  }
  WriteAll(dir.File("H.VTM"), master);
  WriteAll(dir.File("H.VTI"), idx);
  std::string line;
  EXPECT_EQ(check_folder(r.ctx, dir.File("H.VTM"), line), 5);
}
