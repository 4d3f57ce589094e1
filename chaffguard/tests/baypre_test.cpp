// The MIME part model: taking a message apart, decoding its parts and putting
// it together again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BayPre.h"
#include "mystrlist.h"

namespace chaffguard {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  TMyStringList l;
  l.SetText(text);
  return l.lines;
}

std::string Decoded(const std::string& text, const MimeWalkOptions& options = {}) {
  auto lines = Lines(text);
  mime::TmwQuickAndDirtyHashStrings tokens;
  DecodeMessage(lines, tokens, options);
  TMyStringList out;
  out.lines = lines;
  return out.Text();
}

TEST(MimeDecode, AlternativeLatin2PartsBecomeUtf8AndPreambleGoes) {
  const std::string msg =
      "Subject: =?ISO-8859-2?Q?P=F8=EDli=B9?=\r\n"
      "MIME-Version: 1.0\r\n"
      "Content-Type: multipart/alternative; boundary=\"XX-1\"\r\n"
      "\r\n"
      "This is a multi-part message in MIME format.\r\n"
      "--XX-1\r\n"
      "Content-Type: text/plain; charset=ISO-8859-2\r\n"
      "Content-Transfer-Encoding: base64\r\n"
      "\r\n"
      "UPjtbGm5IL5sdbtvdehr/Q==\r\n"
      "--XX-1\r\n"
      "Content-Type: text/html; charset=\"iso-8859-2\"\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n"
      "\r\n"
      "<html><head><meta http-equiv=3D\"Content-Type\" content=3D\"text/html; charset=3Diso-8859-2\">"
      "</head><body>=B9koda</body></html>\r\n"
      "--XX-1--\r\n"
      "epilogue text\r\n";
  const std::string out = Decoded(msg);
  EXPECT_NE(out.find("P\xC5\x99\xC3\xADli\xC5\xA1 \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD"), std::string::npos) << out;
  EXPECT_NE(out.find("<body>\xC5\xA1koda</body>"), std::string::npos) << out;
  EXPECT_NE(out.find("Subject: =?ISO-8859-2?Q?P=F8=EDli=B9?=\r\n"), std::string::npos);
  EXPECT_EQ(out.find("UPjtbGm5"), std::string::npos);
  EXPECT_EQ(out.find("multi-part message"), std::string::npos);
  EXPECT_EQ(out.find("epilogue"), std::string::npos);
  EXPECT_NE(out.find("--XX-1\r\n"), std::string::npos);
  EXPECT_NE(out.find("--XX-1--\r\n"), std::string::npos);
}

TEST(MimeDecode, PartFieldsComeFromTheirHeaders) {
  TMimePart p;
  p.lines = Lines(
      "Content-Type: Application/Octet-Stream; NAME=\"C:\\\\dir\\\\=?UTF-8?Q?r=C3=A9sum=C3=A9?=.pdf\"\r\n"
      "Content-Transfer-Encoding: X-UUENCODE\r\n"
      "Content-Disposition: attachment; filename=other.bin\r\n"
      "Content-ID: <id1>\r\n\r\nbody\r\n");
  p.TakeApart();
  EXPECT_EQ(p.primary, MimePrimary::kBinary);
  EXPECT_EQ(p.primary_type, "APPLICATION");
  EXPECT_EQ(p.secondary_type, "OCTET-STREAM");
  EXPECT_EQ(p.encoding, MimeEncoding::kUu);
  EXPECT_EQ(p.file_name, "r\xC3\xA9sum\xC3\xA9.pdf");
  EXPECT_EQ(p.disposition, "attachment");
  EXPECT_EQ(p.content_id, "<id1>");
  EXPECT_EQ(p.body, std::vector<std::string>{"body"});

  TMimePart d;
  d.lines = Lines("Content-Type: text\r\nContent-Disposition: inline; FileName=a/b/c.txt\r\n\r\nx\r\n");
  d.TakeApart();
  EXPECT_EQ(d.primary, MimePrimary::kText);
  EXPECT_EQ(d.secondary_type, "");
  EXPECT_EQ(d.charset, "US-ASCII");
  EXPECT_EQ(d.file_name, "c.txt");
}

TEST(MimeDecode, HeaderParametersHonourQuotesAndIgnoreCase) {
  struct Case { const char* value; const char* name; const char* want; } cases[] = {
      {"text/plain; charset=\"a;b\"; name=x", "CHARSET", "a;b"},
      {"text/plain; charset=\"a;b\"; name=x", "name", "x"},
      {"multipart/mixed;boundary=\"=_x\"", "Boundary", "=_x"},
      {"text/plain", "charset", ""},
      {"text/plain; xcharset=1; charset = utf-8 ", "charset", "utf-8"},
  };
  for (const auto& c : cases) EXPECT_EQ(HeaderParameter(c.value, c.name), c.want) << c.value;
}

TEST(MimeDecode, BinaryBodiesBecomeEmptyByEncoding) {
  struct Case { const char* encoding; std::vector<std::string> body; MimeEncoding after; } cases[] = {
      {"base64", {}, MimeEncoding::kBase64},
      {"quoted-printable", {"="}, MimeEncoding::kQuotedPrintable},
      {"x-uuencode", {}, MimeEncoding::kBase64},
      {"x-xxencode", {}, MimeEncoding::kBase64},
      {"7bit", {""}, MimeEncoding::k7Bit},
      {"8bit", {""}, MimeEncoding::k8Bit},
  };
  for (const auto& c : cases) {
    TMimePart p;
    p.lines = Lines(std::string("Content-Type: image/png\r\nContent-Transfer-Encoding: ") + c.encoding +
                    "\r\n\r\niVBORw0KGgo=\r\nAAAA\r\n");
    p.TakeApart();
    mime::TmwQuickAndDirtyHashStrings tokens;
    p.Walk({}, tokens);
    EXPECT_EQ(p.body, c.body) << c.encoding;
    EXPECT_EQ(p.encoding, c.after) << c.encoding;
  }
}

TEST(MimeDecode, ImageHookGetsDecodedBytesBelowTheLineLimitOnly) {
  for (std::size_t lines : {std::size_t{1}, kMaxOfferedLines - 1, kMaxOfferedLines}) {
    std::string msg = "Content-Type: image/gif; name=\"dir/x.gif\"\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    for (std::size_t i = 0; i < lines; ++i) msg += "R0lG\r\n";
    int calls = 0;
    std::string name;
    std::size_t bytes = 0;
    MimeWalkOptions o;
    o.image_tokens = [&](const std::string& data, const std::string& file, mime::TmwQuickAndDirtyHashStrings&) {
      ++calls;
      name = file;
      bytes = data.size();
    };
    EXPECT_EQ(Decoded(msg, o), "Content-Type: image/gif; name=\"dir/x.gif\"\r\nContent-Transfer-Encoding: base64\r\n\r\n");
    EXPECT_EQ(calls, lines < kMaxOfferedLines ? 1 : 0) << lines;
    if (calls) {
      EXPECT_EQ(name, "x.gif");
      EXPECT_EQ(bytes, lines * 3);
    }
    o.image_parser = false;
    calls = 0;
    Decoded(msg, o);
    EXPECT_EQ(calls, 0);
  }
}

TEST(MimeDecode, LongHeaderLinesAreFoldedAtSeparatorsBeforeTheWidth) {
  const std::string params = "Content-Type: text/plain; charset=\"iso-8859-1\"; name=\"a very long file name.txt\"; x=1";
  const auto folded = FoldHeaderLine(params, 78);
  ASSERT_EQ(folded.size(), 2u);
  EXPECT_EQ(folded[0], "Content-Type: text/plain; charset=\"iso-8859-1\";");
  EXPECT_EQ(folded[1], " name=\"a very long file name.txt\"; x=1");

  std::string words = "Subject:";
  for (int i = 0; i < 40; ++i) words += " word" + std::to_string(i);
  const auto w = FoldHeaderLine(words, 78);
  ASSERT_GT(w.size(), 2u);
  std::string joined = w[0];
  for (std::size_t i = 0; i < w.size(); ++i) {
    EXPECT_LE(w[i].size(), 78u) << i;
    if (i) {
      EXPECT_EQ(w[i][0], ' ');
      joined += w[i];
    }
  }
  EXPECT_EQ(joined, words);

  const std::string solid(100, 'x');
  EXPECT_EQ(FoldHeaderLine(solid, 78), std::vector<std::string>{solid});
  EXPECT_EQ(FoldHeaderLine("Short: line", 78), std::vector<std::string>{"Short: line"});
}

TEST(MimeDecode, NestedMessagePartsAreDecoded) {
  const std::string msg =
      "Content-Type: message/rfc822\r\n\r\n\r\n"
      "Content-Type: multipart/mixed; boundary=b\r\n\r\n"
      "--b\r\nContent-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
      "caf=E9 =\r\nbar\r\n--b--\r\n";
  EXPECT_NE(Decoded(msg).find("caf\xC3\xA9 bar\r\n--b--"), std::string::npos) << Decoded(msg);
}

TEST(MimeDecode, HostileNestingDepthIsBounded) {
  for (const bool multipart : {false, true}) {
    std::string msg;
    const int depth = 20000;
    for (int i = 0; i < depth; ++i)
      msg += multipart ? "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\r\n\r\n--b" +
                             std::to_string(i) + "\r\n"
                       : std::string("Content-Type: message/rfc822\r\n\r\n");
    msg += "Content-Type: text/plain\r\n\r\ndeep text\r\n";
    const std::string out = Decoded(msg);
    EXPECT_NE(out.find("deep text"), std::string::npos);
    EXPECT_LT(out.size(), msg.size() * 2);
  }
}

}  // namespace
}  // namespace chaffguard
