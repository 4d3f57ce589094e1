#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "testutil.h"
#include "translate.h"

namespace {

using control::_;

void Put32(std::string& out, std::uint32_t v, bool big) {
  for (int k = 0; k < 4; ++k) {
    int shift = big ? (24 - 8 * k) : (8 * k);
    out += static_cast<char>((v >> shift) & 0xFF);
  }
}

// A GNU .mo image of the given (id, text) pairs, ids in the order given.
std::string MoImage(const std::vector<std::pair<std::string, std::string>>& entries, bool big = false) {
  const std::uint32_t n = static_cast<std::uint32_t>(entries.size());
  const std::uint32_t ids = 28, texts = ids + 8 * n;
  std::uint32_t data = texts + 8 * n;
  std::string head, table_ids, table_texts, blob;
  for (const auto& e : entries) {
    Put32(table_ids, static_cast<std::uint32_t>(e.first.size()), big);
    Put32(table_ids, data + static_cast<std::uint32_t>(blob.size()), big);
    blob += e.first + '\0';
  }
  for (const auto& e : entries) {
    Put32(table_texts, static_cast<std::uint32_t>(e.second.size()), big);
    Put32(table_texts, data + static_cast<std::uint32_t>(blob.size()), big);
    blob += e.second + '\0';
  }
  Put32(head, 0x950412de, big);
  Put32(head, 0, big);
  Put32(head, n, big);
  Put32(head, ids, big);
  Put32(head, texts, big);
  Put32(head, 0, big);
  Put32(head, 0, big);
  return head + table_ids + table_texts + blob;
}

class Translation : public ::testing::Test {
 protected:
  void TearDown() override { control::SetCatalogue({}); }
};

TEST_F(Translation, WithoutCatalogueTheIdComesBackUnchanged) {
  control_test::ScratchDir dir;
  EXPECT_FALSE(control::UseLanguage(dir.path().string(), "en"));
  EXPECT_EQ(_("请先安装 %s 服务"), "请先安装 %s 服务");
}

TEST_F(Translation, CatalogueOnDiskTranslatesKnownIdsOnly) {
  control_test::ScratchDir dir;
  auto folder = dir.path() / "de" / "LC_MESSAGES";
  std::filesystem::create_directories(folder);
  control_test::WriteFile((folder / "ostrel_control.mo").string(),
                          MoImage({{"", "Content-Type: text/plain; charset=UTF-8\n"},
                                   {"Start", "Starten"},
                                   {"请先安装 %s 服务", "Bitte zuerst den Dienst %s installieren"}}));
  ASSERT_TRUE(control::UseLanguage(dir.path().string(), "de"));
  EXPECT_EQ(_("Start"), "Starten");
  EXPECT_EQ(_("请先安装 %s 服务"), "Bitte zuerst den Dienst %s installieren");
  EXPECT_EQ(_("Stop"), "Stop");
  EXPECT_EQ(_(""), "");
  EXPECT_FALSE(control::UseLanguage(dir.path().string(), "en"));
  EXPECT_EQ(_("Start"), "Start");
}

TEST_F(Translation, BigEndianAndPluralEntriesAreRead) {
  std::map<std::string, std::string, std::less<>> cat;
  ASSERT_TRUE(control::ParseMoCatalogue(
      MoImage({{"file", "Datei"}, {std::string("one\0many", 8), std::string("eins\0viele", 10)}}, true), cat));
  EXPECT_EQ(cat["file"], "Datei");
  EXPECT_EQ(cat["one"], "eins");
}

TEST_F(Translation, DamagedCataloguesAreRefused) {
  const std::string good = MoImage({{"a", "b"}});
  std::string bad_magic = good;
  bad_magic[0] = 'X';
  std::string string_past_end = good;
  string_past_end[28 + 4] = '\x7f';  // offset of the first id
  std::string huge_count = good;
  huge_count[8] = '\xff';
  huge_count[11] = '\x7f';
  const std::string cases[] = {"", good.substr(0, 10), bad_magic, string_past_end, huge_count,
                               good.substr(0, good.size() - 3)};
  for (const auto& image : cases) {
    std::map<std::string, std::string, std::less<>> cat{{"keep", "me"}};
    EXPECT_FALSE(control::ParseMoCatalogue(image, cat));
    EXPECT_EQ(cat.size(), 1u);
  }
}

}  // namespace
