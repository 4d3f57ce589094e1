#include "token_split.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace chaffguard::mime {
namespace {

using Tokens = std::map<std::string, int>;  // key -> count, in key order

Tokens Collect(TmwQuickAndDirtyHashStrings& list) {
  Tokens t;
  for (int i = 0; i < list.Count(); ++i) t[list[i].Key] = list[i].Count;
  return t;
}

Tokens Split(std::string_view text, TokenLimits limits = {}, std::string_view prefix = "") {
  TmwQuickAndDirtyHashStrings list;
  TokenizeText(text, prefix, TokenMode::kCounting, limits, list);
  return Collect(list);
}

struct SplitCase {
  const char* label;
  std::string text;
  Tokens tokens;
};

TEST(TokenizeText, SplitsByTheTokenAlphabet) {
  const SplitCase cases[] = {
      {"price line", "Price: 1,000.50 USD!!", {{"1,000.50", 1}, {"Price", 1}, {"USD!!", 1}}},
      {"hyphen word of three", "a-b", {{"a-b", 1}}},
      {"two characters too short", "ab cd", {}},
      {"twenty characters kept", std::string(20, 'x'), {{std::string(20, 'x'), 1}}},
      {"twenty-one characters dropped", std::string(21, 'x') + " yes", {{"yes", 1}}},
      {"ipv4 address whole", "from 192.168.10.1 host", {{"192.168.10.1", 1}, {"from", 1},
                                                           {"host", 1}}},
      {"version at text end", "v3.14.", {{"v3.14", 1}}},
      {"dot after letter separates", "end.Start", {{"Start", 1}, {"end", 1}}},
      {"comma before a non-digit", "100,abc", {{"100", 1}, {"abc", 1}}},
      {"comma at text start is a separator", ",123", {{"123", 1}}},
      {"8-bit bytes are token bytes", "caf\xC3\xA9 \xE9\xE9\xE9", {{"caf\xC3\xA9", 1},
                                                                  {"\xE9\xE9\xE9", 1}}},
      {"token punctuation", "$100 don't it's!", {{"$100", 1}, {"don't", 1}, {"it's!", 1}}},
      {"controls and punctuation separate", "one\ttwo\r\nsix;ten(abc)", {{"abc", 1}, {"one", 1},
                                                                        {"six", 1}, {"ten", 1},
                                                                        {"two", 1}}},
      {"case folds to the first spelling", "FREE money free Money", {{"FREE", 2}, {"money", 2}}},
      {"empty", "", {}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text), c.tokens) << c.label;
}

TEST(TokenizeText, AppliesTheLimitsGiven) {
  TokenLimits limits;
  limits.max_length = 9;  // "alpha bet" | "a gamma"
  EXPECT_EQ(Split("alpha beta gamma", limits), (Tokens{{"alpha", 1}, {"bet", 1}}));
  limits = TokenLimits{};
  limits.min_token_length = 1;
  limits.max_token_length = 2;
  EXPECT_EQ(Split("a bb ccc", limits), (Tokens{{"a", 1}, {"bb", 1}}));
  // The number rule looks at the cut text: the last byte of it is not "between digits".
  limits = TokenLimits{};
  limits.max_length = 4;
  EXPECT_EQ(Split("123,456", limits), (Tokens{{"123", 1}}));
}

TEST(TokenizeText, PrefixesKeysAndHonoursTheMode) {
  TmwQuickAndDirtyHashStrings list;
  TokenizeText("Free offer", "su*", TokenMode::kCounting, {}, list);
  TokenizeText("free", "", TokenMode::kCounting, {}, list);
  TokenizeText("free offer news", "su*", TokenMode::kNoIncrement, {}, list);
  EXPECT_EQ(Collect(list),
            (Tokens{{"free", 1}, {"su*Free", 1}, {"su*news", 1}, {"su*offer", 1}}));
}

TEST(HtmlComments, AreRemovedUpToTheirEnd) {
  const std::pair<std::string, std::string> cases[] = {
      {"a<!-- x -->b", "ab"},
      {"a<!--x-->b<!--y-->c", "abc"},
      {"a<!-- open", "a"},
      {"a<!-->b-->c", "ac"},        // "-->" is looked for from the fourth byte on
      {"a<!--->b", "a"},            // so "<!--->" does not close itself
      {"x<!<!--c-->--y-->z", "xz"}, // the joint forms a new comment
      {"no comments", "no comments"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(RemoveHtmlComments(in), out) << in;
}

TEST(HtmlTags, BlockTagsBecomeSpacesOtherTagsVanish) {
  const std::pair<std::string, std::string> cases[] = {
      {"<p>one</p><p>two</p>", " one  two "},
      {"<b>one</b><i>two</i>", "onetwo"},
      {"F<b></b>antastic", "Fantastic"},
      {"a<BR/>b", "ab"},  // the name is "BR/", not a block tag
      {"a<br />b", "a b"},
      {"a<Div class=x>b</DIV>", "a b "},
      {"a<td\tx>b", "ab"},  // only a space ends the name
      {"before <unclosed", "before "},
      {"trailing <", "trailing "},
      {"x > y", "x > y"},
      {"<>text", "text"},
      {"no tags", "no tags"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(StripHtmlTags(in), out) << in;
}

TEST(HtmlTags, EveryBlockTagIsRecognised) {
  std::string_view list = kHtmlBlockTags;
  int count = 0;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string name(list.substr(0, comma));
    EXPECT_EQ(StripHtmlTags("a<" + name + ">b"), "a b") << name;
    EXPECT_EQ(StripHtmlTags("a</" + name + ">b"), "a b") << name;
    ++count;
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  EXPECT_EQ(count, 33);
}

TEST(TokenizeText, StrippedPassAddsWholeWordsWithoutCountingAgain) {
  const std::string body = "F<b></b>antastic offer <p>alpha</p><p>beta</p> offer";
  TmwQuickAndDirtyHashStrings list;
  TokenizeText(body, "", TokenMode::kCounting, {}, list);
  TokenizeText(StripHtmlTags(RemoveHtmlComments(body)), "", TokenMode::kNoIncrement, {}, list);
  EXPECT_EQ(Collect(list), (Tokens{{"Fantastic", 1}, {"alpha", 1}, {"antastic", 1},
                                   {"beta", 1}, {"offer", 2}}));
}

}  // namespace
}  // namespace chaffguard::mime
