#include "transfer_codecs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace chaffguard::mime {
namespace {

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

struct DecodeCase {
  const char* label;
  std::string in;
  std::string out;
};

TEST(QuotedPrintable, DecodesByRfc2045) {
  const DecodeCase cases[] = {
      {"hex escapes", "caf=C3=A9", "caf\xC3\xA9"},
      {"lower-case hex", "=c3=a9", "\xC3\xA9"},
      {"soft break crlf", "long=\r\nline", "longline"},
      {"soft break lf", "long=\nline", "longline"},
      {"soft break with padding", "long= \t\r\nline", "longline"},
      {"soft break at the very end", "end=", "end"},
      {"hard break kept", "a\r\nb", "a\r\nb"},
      {"trailing blanks dropped", "a  \r\nb\t", "a\r\nb"},
      {"inner blanks kept", "a  b", "a  b"},
      {"blank before soft break kept", "a =\r\nb", "a b"},
      {"invalid escape kept", "=ZZ=4", "=ZZ=4"},
      {"lone equals", "a=b", "a=b"},
      {"equals before one hex digit at end", "x=4", "x=4"},
      {"empty", "", ""},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(DecodeQuotedPrintable(c.in), c.out) << c.label;
}

TEST(QuotedPrintable, EncodesWithSoftBreaksBelow78Characters) {
  const std::string data = std::string(200, 'x') + "\r\n" + "\xE9=\t end \r\nlast";
  const std::vector<std::string> lines = EncodeQuotedPrintableLines(data);
  ASSERT_GE(lines.size(), 5u);
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), 77u) << line;
    for (char c : line) EXPECT_TRUE((c >= 33 && c <= 126) || c == ' ' || c == '\t') << line;
  }
  EXPECT_EQ(lines[0], std::string(76, 'x') + "=");
  EXPECT_EQ(lines[3], "=E9=3D\t end=20");
  EXPECT_EQ(lines[4], "last=");
  EXPECT_EQ(DecodeQuotedPrintable(Join(lines)), data);
}

TEST(QuotedPrintable, DoesNotSplitAnEscapeAcrossASoftBreak) {
  const std::string data = std::string(75, 'a') + "\xFF\xFF";
  const std::vector<std::string> lines = EncodeQuotedPrintableLines(data);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(75, 'a') + "=");
  EXPECT_EQ(lines[1], "=FF=FF=");
}

TEST(QuotedPrintable, EmptyDataIsOneLineHoldingASoftBreak) {
  EXPECT_EQ(EncodeQuotedPrintableLines(""), std::vector<std::string>{"="});
  EXPECT_EQ(EncodeQuotedPrintableLines("a\r\n"), std::vector<std::string>{"a"});
  EXPECT_EQ(EncodeQuotedPrintableLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
}

TEST(Base64, DecodesByRfc2045) {
  const DecodeCase cases[] = {
      {"plain", "aGVsbG8=", "hello"},
      {"two pads", "aGk=", "hi"},
      {"no pad", "aGVsbG8", "hello"},
      {"line breaks and junk skipped", "aGVs\r\nb*G8=", "hello"},
      {"concatenated blocks", "aGk=aGk=", "hihi"},
      {"lone character", "a", ""},
      {"only junk", "!!!\r\n", ""},
      {"empty", "", ""},
      {"all byte values", "AP8A/w==", std::string("\x00\xFF\x00\xFF", 4)},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(DecodeBase64(c.in), c.out) << c.label;
}

TEST(Base64, Encodes54BytesPerLine) {
  std::string data;
  for (int i = 0; i < 110; ++i) data.push_back(static_cast<char>(i * 7));
  const std::vector<std::string> lines = EncodeBase64Lines(data);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 72u);
  EXPECT_EQ(lines[1].size(), 72u);
  EXPECT_EQ(lines[2], "9Ps=");  // the last two bytes, 0xF4 and 0xFB
  EXPECT_EQ(DecodeBase64(Join(lines)), data);
  EXPECT_TRUE(EncodeBase64Lines("").empty());
  EXPECT_EQ(EncodeBase64Lines("hi"), std::vector<std::string>{"aGk="});
}

TEST(Uuencode, DecodesLineByLineSkippingFrameLines) {
  const DecodeCase cases[] = {
      {"framed", "begin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\n", "Cat"},
      {"upper-case frame and table", "BEGIN 644 x\ntable\n#0V%T\nEND\n", "Cat"},
      {"length shorter than data", "!0V%T\n", "C"},
      {"length longer than data", "M0V%T\n", "Cat"},
      {"length inside a group", "\"0V%T\n", "Ca"},
      {"incomplete group gives the bytes it fills", "#0V%\n#0V\n", "CaC"},
      {"two lines", "#0V%T\n#0V%T\n", "CatCat"},
      {"empty", "", ""},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(DecodeUuencode(c.in), c.out) << c.label;
}

TEST(Xxencode, DecodesLineByLineSkippingFrameLines) {
  const DecodeCase cases[] = {
      {"framed", "begin 644 cat.txt\r\n1Eq3o\r\n+\r\nend\r\n", "Cat"},
      {"a table line is data for xxencode", "TABLE\n1Eq3o\n", "\x30\xD5\xD0" "Cat"},
      {"foreign characters count as zero", "1E!3o\n", "\x40\x01\x74"},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(DecodeXxencode(c.in), c.out) << c.label;
}

TEST(SixBitEncodings, ADataLineThatLooksLikeAFrameLineIsSkipped) {
  // 16 bytes xxencode to a line starting with "E" (16); data encoding to "ND"
  // makes it read as an "END" line. Found by the fuzzer.
  const std::string data = std::string("d\xF0") + std::string(14, 'z');
  const std::vector<std::string> lines = EncodeXxencodeLines(data);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(0, 3), "END");
  EXPECT_EQ(DecodeXxencode(Join(lines)), "");
  EXPECT_EQ(DecodeXxencode("1Eq3o\r\n" + Join(lines) + "1Eq3o\r\n"), "CatCat");
}

TEST(SixBitEncodings, RoundTripThroughTheirLines) {
  std::string data;
  for (int i = 0; i < 100; ++i) data.push_back(static_cast<char>(255 - i * 3));
  const auto uu = EncodeUuencodeLines(data);
  ASSERT_EQ(uu.size(), 3u);
  EXPECT_EQ(uu[0][0], 'M');  // 45 bytes
  EXPECT_EQ(DecodeUuencode(Join(uu)), data);
  const auto xx = EncodeXxencodeLines(data);
  ASSERT_EQ(xx.size(), 3u);
  EXPECT_EQ(xx[0][0], 'h');  // 45 bytes
  EXPECT_EQ(DecodeXxencode(Join(xx)), data);
  EXPECT_EQ(EncodeUuencodeLines("Cat"), std::vector<std::string>{"#0V%T"});
  EXPECT_EQ(EncodeXxencodeLines("Cat"), std::vector<std::string>{"1Eq3o"});
}

TEST(TransferDecoders, NeverProduceMoreThanTheirInputOnRandomBytes) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 300; ++round) {
    std::string in(rng() % 300, '\0');
    for (char& c : in) c = static_cast<char>(rng() % 256);
    if (round % 3 == 0) {
      for (char& c : in) {
        if (rng() % 4 == 0) c = "=\r\n BEGIN"[rng() % 9];
      }
    }
    EXPECT_LE(DecodeQuotedPrintable(in).size(), in.size());
    EXPECT_LE(DecodeBase64(in).size(), in.size());
    EXPECT_LE(DecodeUuencode(in).size(), in.size());
    EXPECT_LE(DecodeXxencode(in).size(), in.size());
    EXPECT_EQ(DecodeQuotedPrintable(Join(EncodeQuotedPrintableLines(in))), in);
    EXPECT_EQ(DecodeBase64(Join(EncodeBase64Lines(in))), in);
  }
}

}  // namespace
}  // namespace chaffguard::mime
