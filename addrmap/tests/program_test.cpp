#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "alias.h"
#include "testutil.h"

namespace {

using addrmap_test::ReadFile;
using addrmap_test::ScratchDir;
using addrmap_test::WriteFile;

const char kBanner[] =
    "\nCorvane Mail Transport System,\n"
    "Alias compiler of the Ostrel distribution.\n"
    "addrmap - create alias file for Corvane, v1.03 (Win32).\n\n";

struct Result {
  int status;
  std::string output;
};

// Runs the program with `args` (after the program name), its output captured.
Result RunAddrmap(const ScratchDir& dir, std::vector<std::string> args) {
  std::vector<const char*> argv{"addrmap"};
  for (auto& a : args) argv.push_back(a.c_str());
  const std::string out_path = dir.File("stdout.txt");
  std::FILE* out = std::fopen(out_path.c_str(), "wb");
  int status = addrmap::Run(static_cast<int>(argv.size()), argv.data(), out);
  std::fclose(out);
  std::string text = ReadFile(out_path);
  std::remove(out_path.c_str());
  return {status, text};
}

std::string Header() {
  std::string h(addrmap::kHeaderText);
  h.resize(addrmap::kHeaderLen, '\0');
  return h;
}

std::string Record(const std::string& alias, const std::string& target) {
  std::string r(addrmap::kRecordLen, '\0');
  r.replace(0, std::min<std::size_t>(alias.size(), 179), alias.substr(0, 179));
  r.replace(180, std::min<std::size_t>(target.size(), 179), target.substr(0, 179));
  return r;
}

TEST(Addrmap, CompilesSortsAndReportsMalformedLinesByNumber) {
  ScratchDir dir;
  addrmap_test::TempEnv env(dir.path().string(), std::nullopt);
  const std::string alias200(200, 'q');
  WriteFile(dir.File("aliases.txt"),
            "; the list\r\n"
            "Bob == bob@example.com\n"
            "\n"
            "alice==alice@example.com\r\n"
            " ;not a comment\n"
            "   \t\n"
            "Carl_x == carl\n"
            "postmaster == admin\n"
            "a==b==c\n"
            "==nobody\n"
            "BOB == second bob\n" +
                alias200 + " == long\n" + "no separator");
  Result r = RunAddrmap(dir, {dir.File("aliases.txt"), dir.File("aliases.bin")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, std::string(kBanner) +
                          "Line 5 is malformed - ignored.\n"
                          "Line 6 is malformed - ignored.\n"
                          "Line 13 is malformed - ignored.\n");
  EXPECT_EQ(ReadFile(dir.File("aliases.bin")),
            Header() + Record("", "nobody") + Record("a", "b==c") + Record("alice", "alice@example.com") +
                Record("Bob", "bob@example.com") + Record("BOB", "second bob") + Record("Carl_x", "carl") +
                Record("postmaster", "admin") + Record(alias200, "long"));
}

TEST(Addrmap, ContinuesLinesLongerThan511CharactersAsTheNextLine) {
  ScratchDir dir;
  WriteFile(dir.File("in.txt"), "x==1\r\n" + std::string(600, 'k') + "==v\r\ny==2\n");
  Result r = RunAddrmap(dir, {dir.File("in.txt"), dir.File("out.bin")});
  EXPECT_EQ(r.output, std::string(kBanner) + "Line 2 is malformed - ignored.\n");
  EXPECT_EQ(ReadFile(dir.File("out.bin")),
            Header() + Record(std::string(89, 'k'), "v") + Record("x", "1") + Record("y", "2"));
}

TEST(Addrmap, EmptyOrCommentOnlySourceGivesTheHeaderOnly) {
  for (const char* source : {"", "; only\n#comments\n\n* here\n"}) {
    ScratchDir dir;
    WriteFile(dir.File("in.txt"), source);
    Result r = RunAddrmap(dir, {dir.File("in.txt"), dir.File("out.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, kBanner);
    EXPECT_EQ(ReadFile(dir.File("out.bin")), Header());
  }
}

TEST(Addrmap, ExitStatusAndMessagesForUsageAndUnopenableFiles) {
  ScratchDir dir;
  WriteFile(dir.File("in.txt"), "a==b\n");
  Result usage = RunAddrmap(dir, {dir.File("in.txt")});
  EXPECT_EQ(usage.status, 1);
  EXPECT_EQ(usage.output, std::string(kBanner) + "Usage: addrmap <source_file_name> <alias_file_name>\n");

  const std::string missing = dir.File("missing.txt");
  Result no_source = RunAddrmap(dir, {missing, dir.File("out.bin")});
  EXPECT_EQ(no_source.status, 2);
  EXPECT_EQ(no_source.output, std::string(kBanner) + "Error opening source file '" + missing + "'.\n");

  const std::string bad_out = dir.File("no-dir") + "/out.bin";
  Result no_output = RunAddrmap(dir, {dir.File("in.txt"), bad_out});
  EXPECT_EQ(no_output.status, 2);
  EXPECT_EQ(no_output.output, std::string(kBanner) + "Error opening output file '" + bad_out + "'.\n");
}

// A source of `n` distinct valid lines, in reverse order.
std::string Lines(int n) {
  std::string s;
  for (int i = n; i > 0; --i) s += "user" + std::to_string(100000 + i) + " == t\n";
  return s;
}

TEST(Addrmap, RunFilesNeedAUsableTemporaryDirectoryFrom181RecordsOn) {
  ScratchDir dir;
  const std::string missing_tmp = dir.File("no-tmp");
  const std::string long_tmp = dir.File(std::string(70, 'L'));
  std::filesystem::create_directory(long_tmp);
  std::string sep = missing_tmp.find('\\') != std::string::npos ? "\\" : "/";
  struct Case {
    int lines;
    std::string tmp;
    std::string messages;
    bool sorted;
  } cases[] = {
      {180, missing_tmp, "", true},
      {181, dir.path().string(), "", true},
      {181, missing_tmp, "\naddrmap: Failed creating subfile '" + missing_tmp + sep + "00294823.$$$'\nError sorting output file.\n", false},
      {400, long_tmp, "Error sorting output file.\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lines << " lines, TMP=" << c.tmp);
    addrmap_test::TempEnv env(c.tmp, std::nullopt);
    WriteFile(dir.File("in.txt"), Lines(c.lines));
    Result r = RunAddrmap(dir, {dir.File("in.txt"), dir.File("out.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, kBanner + c.messages);
    std::string out = ReadFile(dir.File("out.bin"));
    ASSERT_EQ(out.size(), addrmap::kHeaderLen + c.lines * addrmap::kRecordLen);
    std::string first = out.substr(addrmap::kHeaderLen, 10);
    EXPECT_EQ(first, c.sorted ? "user100001" : "user" + std::to_string(100000 + c.lines));
    EXPECT_EQ(dir.List().size(), 3u) << "only in.txt, out.bin and the long TMP folder";
    EXPECT_TRUE(std::filesystem::is_empty(long_tmp));
  }
}

TEST(Addrmap, TmpWinsOverTempAndTempIsUsedWithoutTmp) {
  ScratchDir dir, other;
  WriteFile(dir.File("in.txt"), Lines(200));
  const std::string missing = other.File("missing");
  {
    addrmap_test::TempEnv env(dir.path().string(), missing);
    EXPECT_EQ(RunAddrmap(dir, {dir.File("in.txt"), dir.File("out.bin")}).output, kBanner);
  }
  {
    addrmap_test::TempEnv env(std::nullopt, missing);
    EXPECT_NE(RunAddrmap(dir, {dir.File("in.txt"), dir.File("out.bin")}).output.find(missing), std::string::npos);
  }
}

}  // namespace
