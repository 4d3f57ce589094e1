#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "alias.h"
#include "extsort/extsort.h"
#include "testutil.h"

namespace {

using addrmap_test::ScratchDir;

TEST(TempNamer, DrawsTheRuntimeSequenceFromSeedOne) {
  extsort::TempNamer n;
  const int want[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
  for (int w : want) EXPECT_EQ(n.Next(), w);
}

TEST(TempNamer, NamesJoinSeparatorSkipExistingFilesAndRespect64Characters) {
  ScratchDir dir;
  const std::string d = dir.path().string();
  const char sep = d.find('\\') != std::string::npos ? '\\' : '/';
  std::string path;

  extsort::TempNamer plain;
  ASSERT_TRUE(plain.MakeTempName(d, &path));
  EXPECT_EQ(path, d + sep + "00294823.$$$");

  extsort::TempNamer slash;
  ASSERT_TRUE(slash.MakeTempName(d + "/", &path));
  EXPECT_EQ(path, d + "/00294823.$$$");

  extsort::TempNamer bare;
  ASSERT_TRUE(bare.MakeTempName("", &path));
  EXPECT_EQ(path, "00294823.$$$");

  addrmap_test::WriteFile(d + sep + "00294823.$$$", "x");
  extsort::TempNamer skip;
  ASSERT_TRUE(skip.MakeTempName(d, &path));
  EXPECT_EQ(path, d + sep + "18be6784.$$$");

  // When all 20 tries name existing files, the 20th name is taken.
  ScratchDir busy;
  const std::string b = busy.path().string();
  extsort::TempNamer draws;
  std::string last;
  for (int i = 0; i < extsort::kNameTries; ++i) {
    char name[16];
    int x = draws.Next();
    int y = draws.Next();
    std::snprintf(name, sizeof name, "%04x%04x.$$$", x, y);
    last = b + sep + name;
    addrmap_test::WriteFile(last, "x");
  }
  extsort::TempNamer full;
  ASSERT_TRUE(full.MakeTempName(b, &path));
  EXPECT_EQ(path, last);
  EXPECT_EQ(full.Next(), draws.Next());

  // 52 characters of directory and separator plus 12 of name fit; one more does not.
  extsort::TempNamer fits, too_long;
  EXPECT_TRUE(fits.MakeTempName(std::string(51, 'd'), &path));
  EXPECT_EQ(path.size(), 64u);
  path = "unchanged";
  EXPECT_FALSE(too_long.MakeTempName(std::string(52, 'd'), &path));
  EXPECT_EQ(path, "unchanged");
  EXPECT_EQ(too_long.Next(), 41) << "a refused name draws nothing";
}

// An alias file with `n` records whose aliases repeat a lot (in mixed case),
// each record's target holding its input position.
std::string MakeAliasFile(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string file(addrmap::kHeaderLen, '\0');
  std::memcpy(file.data(), addrmap::kHeaderText.data(), addrmap::kHeaderText.size());
  const char* names[] = {"alice", "Bob", "bob", "carl_x", "aZb", "a_b", "", "zed", "ZED", "[x"};
  unsigned char rec[addrmap::kRecordLen];
  for (std::size_t i = 0; i < n; ++i) {
    std::string alias = names[rng() % 10];
    if (rng() % 3 == 0) alias += std::to_string(rng() % 50);
    addrmap::BuildRecord(alias, std::to_string(i), rec);
    file.append(reinterpret_cast<char*>(rec), sizeof rec);
  }
  return file;
}

// What the sort must produce: a stable sort of the records by CompareAliases.
std::string StableSorted(const std::string& file) {
  const std::size_t n = (file.size() - addrmap::kHeaderLen) / addrmap::kRecordLen;
  std::vector<std::string> recs;
  for (std::size_t i = 0; i < n; ++i) recs.push_back(file.substr(addrmap::kHeaderLen + i * addrmap::kRecordLen, addrmap::kRecordLen));
  std::stable_sort(recs.begin(), recs.end(), [](const std::string& a, const std::string& b) {
    return addrmap::CompareAliases(reinterpret_cast<const unsigned char*>(a.data()),
                                   reinterpret_cast<const unsigned char*>(b.data())) < 0;
  });
  std::string out = file.substr(0, addrmap::kHeaderLen);
  for (const auto& r : recs) out += r;
  return out + file.substr(addrmap::kHeaderLen + n * addrmap::kRecordLen);
}

struct SortCase {
  std::size_t records;
  std::size_t max_open;        // 0: the system's limit
  std::size_t fail_alloc_above;
  int runs;                    // run files made while cutting runs
};

TEST(SortRecords, EqualsStableSortAndLeavesNoRunFiles) {
  const SortCase cases[] = {
      {0, 0, SIZE_MAX, 0},    {1, 0, SIZE_MAX, 0},   {180, 0, SIZE_MAX, 0},
      {181, 0, SIZE_MAX, 1},  {400, 0, SIZE_MAX, 3}, {400, 2, SIZE_MAX, 3},
      {2000, 3, SIZE_MAX, 12}, {2000, 0, 40000, 23}, {2000, 2, 20000, 46},
      {89, 0, 40000, 0},      {90, 0, 40000, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.records << " records, max_open " << c.max_open
                                    << ", alloc limit " << c.fail_alloc_above);
    ScratchDir tmp;
    const std::string path = tmp.File("aliases.bin");
    const std::string input = MakeAliasFile(c.records, static_cast<unsigned>(c.records + c.max_open)) + "tail";
    addrmap_test::WriteFile(path, input);

    extsort::SortParams p;
    p.header_len = addrmap::kHeaderLen;
    p.record_len = addrmap::kRecordLen;
    p.compare = addrmap::CompareAliases;
    if (c.records % 2 == 0) p.prefix_key = addrmap::AliasPrefixKey;
    const std::string tdir = (tmp.path() / "runs").string();
    std::filesystem::create_directory(tdir);
    p.temp_dir = tdir.c_str();
    p.max_open_runs = c.max_open;
    p.fail_alloc_above = c.fail_alloc_above;
    p.merge_budget = 4096;  // a few records per run buffer: exercises refills
    extsort::TempNamer namer;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(extsort::SortRecords(f, p, &namer));
    std::fclose(f);
    EXPECT_EQ(addrmap_test::ReadFile(path), StableSorted(input));
    EXPECT_TRUE(std::filesystem::is_empty(tdir));

    // Each run file drew two numbers; intermediate merge files draw more.
    extsort::TempNamer reference;
    for (int i = 0; i < 2 * c.runs; ++i) reference.Next();
    if (c.max_open == 0) {
      EXPECT_EQ(namer.Next(), reference.Next()) << "run files made";
    }
  }
}

TEST(SortRecords, FailsCleanlyWithoutWorkBufferOrTempDir) {
  ScratchDir tmp;
  const std::string path = tmp.File("aliases.bin");
  const std::string input = MakeAliasFile(500, 7);
  extsort::SortParams p;
  p.header_len = addrmap::kHeaderLen;
  p.record_len = addrmap::kRecordLen;
  p.compare = addrmap::CompareAliases;
  std::string missing = (tmp.path() / "nd").string();
  p.temp_dir = missing.c_str();

  ScratchDir out_dir;
  std::string messages_path = out_dir.File("messages");
  std::FILE* messages = std::fopen(messages_path.c_str(), "wb");
  p.messages = messages;

  addrmap_test::WriteFile(path, input);
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  EXPECT_FALSE(extsort::SortRecords(f, p));
  std::fclose(f);
  std::fclose(messages);
  std::string sep = missing.find('\\') != std::string::npos ? "\\" : "/";
  EXPECT_EQ(addrmap_test::ReadFile(messages_path),
            "\naddrmap: Failed creating subfile '" + missing + sep + "00294823.$$$'\n");
  EXPECT_EQ(addrmap_test::ReadFile(path), input) << "nothing sorted, nothing lost";

  // Below 8193 bytes there is no work buffer at all.
  const std::string tdir = tmp.path().string();
  p.temp_dir = tdir.c_str();
  p.fail_alloc_above = 8192;
  f = std::fopen(path.c_str(), "r+b");
  EXPECT_FALSE(extsort::SortRecords(f, p));
  std::fclose(f);
  EXPECT_EQ(tmp.List(), std::vector<std::string>{"aliases.bin"});
}

}  // namespace
