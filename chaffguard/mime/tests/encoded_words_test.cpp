#include "encoded_words.h"

#include <gtest/gtest.h>

namespace chaffguard::mime {
namespace {

struct WordCase {
  const char* label;
  const char* in;
  const char* out;
};

TEST(EncodedWords, DecodesIntoTheTargetCharset) {
  const WordCase cases[] = {
      {"base64 utf-8", "=?UTF-8?B?Y2Fmw6kucGRm?=", "caf\xC3\xA9.pdf"},
      {"q latin2 with underscore", "=?iso-8859-2?q?z=B1b_a.txt?=", "z\xC4\x85" "b a.txt"},
      {"language suffix", "=?utf-8*en?Q?a=C3=A9?=", "a\xC3\xA9"},
      {"adjacent words joined", "=?utf-8?Q?a?= \r\n =?utf-8?Q?b?=", "ab"},
      {"text between words kept", "=?utf-8?Q?a?= x =?utf-8?Q?b?=", "a x b"},
      {"plain text around", "Re: =?utf-8?Q?caf=C3=A9?= now", "Re: caf\xC3\xA9 now"},
      {"unknown encoding letter", "=?utf-8?X?abc?=", "=?utf-8?X?abc?="},
      {"unterminated", "=?utf-8?Q?abc", "=?utf-8?Q?abc"},
      {"empty charset", "=??Q?abc?=", "=??Q?abc?="},
      {"space inside", "=?utf-8?Q?a b?=", "=?utf-8?Q?a b?="},
      {"no words", "plain.txt", "plain.txt"},
      {"bare marker", "=?", "=?"},
  };
  for (const WordCase& c : cases) {
    EXPECT_EQ(DecodeEncodedWords(c.in, "UTF-8", ConverterChoice::kBuiltinOnly), c.out) << c.label;
  }
}

TEST(EncodedWords, ConvertsToASingleByteTarget) {
  EXPECT_EQ(DecodeEncodedWords("=?utf-8?B?xIU=?=", "ISO-8859-2", ConverterChoice::kBuiltinOnly),
            "\xB1");
  EXPECT_EQ(DecodeEncodedWords("=?utf-8?B?xIU=?=", "ISO-8859-1", ConverterChoice::kBuiltinOnly),
            "_");
}

}  // namespace
}  // namespace chaffguard::mime
