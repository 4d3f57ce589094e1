#include <gtest/gtest.h>

#include "fixture.h"
#include "header_parser.h"
#include "header_values.h"
#include "testutil.h"

using namespace foldmend;
using namespace foldmend_test;

namespace {

MessageSummary Parse(const std::string& text, bool* ok = nullptr) {
  ScratchDir dir;
  WriteAll(dir.File("m"), text);
  File f;
  f.open(dir.File("m"), "rb");
  ByteReader in(f);
  MessageSummary s;
  ClockFields now{126, 6, 15, 12, 0, 0};  // 15 Jun 2026 12:00:00
  bool r = parse_message(in, s, now);
  if (ok) *ok = r;
  return s;
}

}  // namespace

TEST(HeaderParser, FromRuleGivesNameAddressOrComment) {
  struct Case {
    const char* from;
    const char* expect;
  } cases[] = {
      {"Fred Bloggs <fred@example.com>", "Fred Bloggs"},
      {"<fred@example.com>", "fred@example.com"},
      {"fred@example.com (Fred B)", "Fred B"},
      {"\"Bloggs, Fred\" <fred@example.com>", "Bloggs, Fred"},
      {"=?ISO-8859-1?Q?J=F6rg?= <j@example.com>", "J\xF6rg"},
  };
  for (const auto& c : cases) {
    MessageSummary s = Parse(std::string("From: ") + c.from + "\r\n\r\nbody\r\n");
    EXPECT_EQ(s.from, c.expect) << c.from;
    EXPECT_EQ(s.flags, 0x02000000u) << c.from;
  }
}

TEST(HeaderParser, EncodedSubjectWordsJoinWithoutTheBlankBetween) {
  MessageSummary s = Parse("Subject: =?ISO-8859-1?Q?Gr=FC=DFe_aus?= =?ISO-8859-1?Q?_Berlin?=\r\n\r\n");
  EXPECT_EQ(s.subject, "Gr\xFC\xDF" "e aus Berlin");
  std::string longword = "=?utf-8?B?" + std::string(76, 'Q') + "?=";
  s = Parse("Subject: " + longword + "\r\n\r\n");
  EXPECT_EQ(s.subject, longword.substr(0, 49));
  s = Parse("Subject: =?utf-8?B?SGFsbG8=?= x\r\n\r\n");
  EXPECT_EQ(s.subject, "Hallo x");
}

TEST(HeaderParser, CopyToSelfTakesTheToValue) {
  MessageSummary s = Parse("X-CS: 1\r\nFrom: A <a@b>\r\nTo: Someone <s@x>\r\n\r\n");
  EXPECT_EQ(s.from, "Someone <s@x>");
  EXPECT_EQ(s.flags, 0x02020000u);
}

TEST(HeaderParser, UnknownHeadersGiveDefaults) {
  MessageSummary s = Parse("X-Other: 1\r\n\r\nbody\r\n");
  EXPECT_EQ(s.from, "Unknown");
  EXPECT_EQ(s.subject, "(None)");
  EXPECT_EQ(s.flags, 0u);
}

TEST(HeaderParser, RejectsSmfAndControlCMessages) {
  bool ok = true;
  Parse("smf-71 whatever\r\n\r\n", &ok);
  EXPECT_FALSE(ok);
  Parse("\x03junk\r\n\r\n", &ok);
  EXPECT_FALSE(ok);
  Parse("Subject: SMF-71\r\n\r\n", &ok);
  EXPECT_TRUE(ok);
}

TEST(HeaderParser, FlagsFromHeadersAndBody) {
  struct Case {
    const char* text;
    std::uint32_t flags;
  } cases[] = {
      {"Content-Type: multipart/alternative; b=1\r\n\r\nbegin 644 x\r\n", 0x20000100},
      {"Content-Type: text/html\r\n\r\n", 0x00000200},
      {"Content-Type: Text/RTF\r\n\r\n", 0x00010000},
      {"Content-Type: message/rfc822\r\n\r\n", 0x00000800},
      {"Content-Type: text/enriched\r\n\r\n", 0x40000000},
      {"MIME-Version: 1.0\r\nX-Priority: 1\r\n\r\n", 0x00480000},
      {"Importance: high\r\nPriority: urgent\r\n\r\n", 0x00400000},
      {"X-File: a\r\nX-VTUUE: b\r\nX-VTENC: c\r\nX-BINHEX: d\r\n\r\n", 0x00800007},
      {"Expiry-Date: 1 Jan 2001 00:00\r\n\r\n", 0x00000010},
      {"Expiry-Date: 1 Jan 2070 00:00\r\n\r\n", 0},
      {"X-VTRQC: 1\r\n\r\n", 0x00002000},
      {"X-VTRQC: 1\r\nResent-From: x\r\n\r\n", 0},
      {"X-VTRQC: 1\r\nResent-From: x\r\nX-VT-Circulate-To: y\r\n\r\n", 0x00002400},
      {"Subject: x\r\n\r\nline\r\nbegin 644 file.bin\r\n", 0x08000002},
      {"Subject: x\r\n\r\n(This file must be converted with BinHex 4.0)\r\n", 0x08800000},
      {"Subject: x\r\n\r\n{\\rtf1 hello}\r\n", 0x00010000},
      {"Return-Path: <a@b>\r\nReceived: x\r\n\r\n", 0x02000000},
      {"X-Enclosure-Info: 1\r\n\r\n", 0x08000000},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.text).flags, c.flags) << c.text;
}

TEST(HeaderParser, VtFlagsReplaceEarlierBitsAndCarryClientData) {
  MessageSummary s = Parse("MIME-Version: 1.0\r\nX-VTFLAGS: 128 -3 16777215 ABCD.CNM\r\nX-File: y\r\n\r\n");
  EXPECT_EQ(s.flags, 0x81u);
  EXPECT_EQ(s.client_a, -3);
  EXPECT_EQ(s.client_b_source, 0x00FFFF00u);
  EXPECT_EQ(s.id, "ABCD.CNM");
  s = Parse("X-VTFLAGS: 5\r\n\r\n");
  EXPECT_EQ(s.flags, 5u);
  EXPECT_EQ(s.id, "");
}

TEST(HeaderParser, FoldedLinesContinueAndCtrlZEndsTheHeader) {
  MessageSummary s = Parse("Subject: one\r\n two\r\nFrom: a@b\x1A" "From: Other <o@x>\r\n\r\n");
  EXPECT_EQ(s.subject, "one two");
  EXPECT_EQ(s.from, "a@b");
}

TEST(HeaderParser, LaterDateHeaderWins) {
  MessageSummary s = Parse("Date: 1 Jan 2001 10:00\r\nSent: 2 Feb 2002 11:30 -0100\r\n\r\n");
  EXPECT_EQ(date_text(s.date), "2 Feb 2 11:30");
  EXPECT_EQ(s.date.zone, 2);
}

TEST(AddressOf, TakesTheFirstElementAndKeepsMailSystemPrefixes) {
  EXPECT_EQ(address_of("  a@b, c@d"), "a@b");
  EXPECT_EQ(address_of("SMTP:x@y"), "SMTP:x@y");
  EXPECT_EQ(address_of("\"x, y\" <q@r>, z@w"), "q@r");
  EXPECT_EQ(address_of("in: p@q"), "in: p@q");
  EXPECT_EQ(address_of("(c) p@q (d)"), "p@q");
}
