// Token extraction of whole messages: the header filter and both passes.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "baytokens.h"
#include "mystrlist.h"

namespace chaffguard {
namespace {

std::map<std::string, int> Tokens(const std::string& message, const Settings& s = Settings()) {
  TMyStringList l;
  l.SetText(message);
  std::string text;
  for (const auto& line : FilterHeaders(l.lines, s)) text += line + "\r\n";
  mime::TmwQuickAndDirtyHashStrings list;
  TokenizeMessage(text, s, list);
  std::map<std::string, int> out;
  for (int i = 0; i < list.Count(); ++i) out[list[i].Key] = list[i].Count;
  return out;
}

using M = std::map<std::string, int>;

TEST(MessageTokens, HeadersGetPrefixesAndOtherHeadersAreDropped) {
  Settings s;
  s.CustomHeaders = "X-Mailer,Sender";
  EXPECT_EQ(Tokens("From: Eve <eve@ext.org>\r\nSubject: cheap pills\r\nTo: bob@here.org\r\n"
                   "Sender: list-owner\r\nX-Mailer: BulkMax\r\nX-Other: skipped\r\n\r\n",
                   s),
            (M{{"fr*Eve", 2}, {"fr*ext", 1}, {"fr*org", 1}, {"su*cheap", 1},
               {"su*pills", 1}, {"ch*list-owner", 1}, {"ch*BulkMax", 1}}));
}

TEST(MessageTokens, BodyCountsCaseInsensitivelyAndKeepsNumbers) {
  EXPECT_EQ(Tokens("Subject: x\r\n\r\nPrice: 1,000.50 USD!! FREE it is free, Free.\r\n"),
            (M{{"Price", 1}, {"1,000.50", 1}, {"USD!!", 1}, {"FREE", 3}}));
}

TEST(MessageTokens, MarkupSplitWordsAreFoundOnceMoreWithoutTags) {
  const auto t = Tokens("Subject: x\r\n\r\n<p>bar<b></b>gains</p><p>one</p><p>two</p> foo<i></i><u></u>tball\r\n");
  EXPECT_EQ(t.at("gains"), 1);
  EXPECT_EQ(t.count("bar"), 1u);
  EXPECT_EQ(t.at("bargains"), 1);   // stripped pass, inline tags join
  EXPECT_EQ(t.at("one"), 1);        // counted once: block tags keep words apart
  EXPECT_EQ(t.at("two"), 1);
  EXPECT_EQ(t.count("onetwo"), 0u);
  EXPECT_EQ(t.at("football"), 1);
  EXPECT_EQ(t.count("tball"), 1u);
}

TEST(MessageTokens, CommentsAreRemovedBeforeStripping) {
  const auto t = Tokens("Subject: x\r\n\r\nvia<!-- hidden -->gra\r\n");
  EXPECT_EQ(t.at("viagra"), 1);
  EXPECT_EQ(t.at("hidden"), 1);  // from the unchanged pass only
}

TEST(MessageTokens, SubjectTagIsIgnored) {
  Settings s;
  s.Subject = "SPAM";
  EXPECT_EQ(Tokens("Subject: [SPAM] offer\r\n\r\n", s), (M{{"su*offer", 1}}));
  s.Subject = "";
  EXPECT_EQ(Tokens("Subject: [SPAM] offer\r\n\r\n", s), (M{{"su*SPAM", 1}, {"su*offer", 1}}));
}

TEST(MessageTokens, NoBlankLineMeansNoBody) {
  EXPECT_EQ(Tokens("Subject: hello there\r\nwords that look like body\r\n"),
            (M{{"su*hello", 1}, {"su*there", 1}}));
}

TEST(MessageTokens, LengthLimitsComeFromTheSettings) {
  Settings s;
  s.bayMinTokenLength = 2;
  s.bayMaxTokenLength = 4;
  s.bayMaxLength = 14;  // the body is cut at 14 bytes
  EXPECT_EQ(Tokens("Subject: x\r\n\r\nab abcd abcde xyz later\r\n", s),
            (M{{"ab", 1}, {"abcd", 2}}));  // "abcde" is cut to "abcd"
  EXPECT_EQ(Tokens("Subject: x\r\n\r\nab a-b abcdefghijklmnopqrstu abcdefghijklmnopqrst\r\n"),
            (M{{"a-b", 1}, {"abcdefghijklmnopqrst", 1}}));
}

TEST(MessageTokens, FoldedHeadersAreReadWhole) {
  EXPECT_EQ(Tokens("Subject: first\r\n second\r\nX-A: y\r\n\r\n"), (M{{"su*first", 1}, {"su*second", 1}}));
}

}  // namespace
}  // namespace chaffguard
