#include <gtest/gtest.h>

#include "context.h"
#include "format.h"
#include "header_values.h"
#include "winfs.h"

using namespace foldmend;

TEST(DateFields, StatedDateGivesTextZoneAndKey) {
  struct Case {
    const char* value;
    const char* text;
    int zone_minutes;
    std::int32_t key;
  } cases[] = {
      {"Mon, 7 Mar 2011 09:05:00 +0100", "7 Mar 11 9:05", -60, 11349125},
      {"Tue, 1 Feb 2005 23:59 +0000", "1 Feb 5 23:59", 1, (105 - 90) * 535680 + 44640 + 1440 + 23 * 60 + 59},
      {"1 Feb 2005 10:00", "1 Feb 5 10:00", 1, (105 - 90) * 535680 + 44640 + 1440 + 600},
      {"Fri, 3 Jan 97 08:00:00 -0500", "3 Jan 97 8:00", 300, (97 - 90) * 535680 + 3 * 1440 + 480 + 300},
      {"Sat, 4 Jan 1997 08:00:00 EST", "4 Jan 97 8:00", 300, (97 - 90) * 535680 + 4 * 1440 + 480 + 300},
  };
  for (const auto& c : cases) {
    StatedDate d = parse_date(c.value);
    EXPECT_EQ(date_text(d), c.text) << c.value;
    EXPECT_EQ(zone_minutes(d), c.zone_minutes) << c.value;
    EXPECT_EQ(date_key(d), c.key) << c.value;
  }
}

TEST(DateFields, NoDateGivesEmptyTextAndTheZeroKey) {
  StatedDate none;
  EXPECT_EQ(date_text(none), "");
  EXPECT_EQ(zone_minutes(none), 1);
  EXPECT_EQ(date_key(none), -48255840);
}

TEST(Names, DerivedFromTheMasterName) {
  EXPECT_EQ(index_name("C:\\MAIL\\IN.VTM"), "C:\\MAIL\\IN.VTI");
  EXPECT_EQ(index_name("C:\\MAIL.D\\IN"), "C:\\MAIL.D\\IN.VTI");
  EXPECT_EQ(uid_map_name("D:IN.vtm"), "D:IN.VNM");
  EXPECT_EQ(backup_name("a/IN.VTM"), "a/IN.VTM.old");
  EXPECT_EQ(with_master_extension("x/y.z/IN"), "x/y.z/IN.VTM");
  EXPECT_EQ(with_master_extension("x/IN.abc"), "x/IN.abc");
  EXPECT_EQ(name_part("C:IN.VTM"), "IN.VTM");
  EXPECT_EQ(dir_part("a\\b/c:IN.VTM"), "a\\b/c:");
}

TEST(Record, IdFieldHoldsThirteenCharactersAndZeroPadding) {
  Record r;
  r.set_id("ABCDEFGHIJKLMNOP");
  EXPECT_EQ(r.id(), "ABCDEFGHIJKLM");
  EXPECT_EQ(r.b[23], 0);
  r.b[23] = 'Z';  // a field without its NUL is read to its end only
  EXPECT_EQ(r.id(), std::string("ABCDEFGHIJKLM") + "Z");
}

TEST(WildcardRule, MatchesLikeWindows) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.VTM", "inbox.vtm", true},   {"*.VTM", "inbox.vti", false}, {"*.*", "README", true},
      {"A*.*", "ABC", true},          {"A*.*", "BC", false},         {"?.VTM", "ab.VTM", false},
      {"IN?OX.VTM", "inbox.VTM", true}, {"*.VTM", "X.VTM.cmp", false}, {"*", "", true},
      {"MAILBOX*.LCK", "mailbox1.lck", true},
  };
  for (const auto& c : cases) EXPECT_EQ(wild_match(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(Output, StatusNumberFollowsTheHash) {
  Output out;
  std::string seen;
  out.set_sink([&](int, const std::string& t) { seen += t; });
  out.emit(0, "#%03d %s\r\n", 17, "x");
  EXPECT_EQ(out.status(), 17);
  out.emit(0, "plain line\r\n");
  EXPECT_EQ(out.status(), 17);
  out.emit(0, "#51 - error\r\n");
  EXPECT_EQ(out.status(), 51);
  EXPECT_EQ(seen, "#017 x\r\nplain line\r\n#51 - error\r\n");
  std::string big(3000, 'a');
  out.emit(0, "%s", big.c_str());
  EXPECT_EQ(seen.size(), 8u + 12u + 13u + 1023u);
}

TEST(Ids, DrawnFromTheAlphabetWithTheirOwnCounter) {
  Context a, b;
  a.rng.seed(5);
  b.rng.seed(5);
  std::string x = a.draw8(a.fix_counter);
  EXPECT_EQ(a.fix_counter, 8u);
  // The same draws with a counter that starts 8 further on.
  b.other_counter = 0;
  Random r(5);
  std::string expect;
  for (unsigned n = 0; n < 8; ++n) expect += kIdAlphabet[(r.next() + n) % 36];
  EXPECT_EQ(x, expect);
  EXPECT_EQ(b.draw8(b.other_counter), expect);
}

TEST(TempDir, FromTempThenTmpThenBtmp) {
  auto env = [](const char* t, const char* tmp, const char* b) {
    return [=](const char* n) -> const char* {
      std::string s(n);
      return s == "TEMP" ? t : s == "TMP" ? tmp : b;
    };
  };
  EXPECT_EQ(temp_dir(env("  C:\\TEMP\\", "x", "y")), "C:\\TEMP");
  EXPECT_EQ(temp_dir(env(nullptr, "C:\\", "y")), "C:\\");
  EXPECT_EQ(temp_dir(env(nullptr, nullptr, "/tmp/")), "/tmp");
  EXPECT_EQ(temp_dir(env(nullptr, nullptr, nullptr)), "");
}

#include "fileio.h"
#include "fixture.h"
#include "testutil.h"

TEST(FileNames, CompareWithoutRegardToCase) {
  foldmend_test::ScratchDir dir;
  foldmend_test::WriteAll(dir.File("inbox.vti"), "x");
  EXPECT_TRUE(fs_is_file(dir.File("INBOX.VTI")));
  File f;
  EXPECT_TRUE(f.open(dir.File("Inbox.Vti"), "rb"));
  f.close();
  foldmend_test::WriteAll(dir.File("other.vti"), "y");
  EXPECT_FALSE(fs_rename(dir.File("INBOX.VTI"), dir.File("OTHER.VTI")));  // the target exists
  EXPECT_TRUE(fs_rename(dir.File("Other.VTI"), dir.File("third.vti")));
  EXPECT_TRUE(fs_remove(dir.File("INBOX.vti")));
  EXPECT_FALSE(fs_exists(dir.File("inbox.vti")));
}
