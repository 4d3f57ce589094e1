#include "charset_builtin.h"
#include "charset_convert.h"
#include "charset_names.h"
#include "transfer_codecs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace chaffguard::mime {
namespace {

struct ConvertCase {
  const char* label;
  const char* from;
  const char* to;
  std::string in;
  std::string out;
};

const ConvertCase kBuiltinCases[] = {
    {"latin2 to utf8", "ISO-8859-2", "UTF-8", "\xB1\xE6\xEA", "\xC4\x85\xC4\x87\xC4\x99"},
    {"utf8 to latin2", "UTF-8", "iso-8859-2", "\xC4\x85z", "\xB1z"},
    {"cp1251 to koi8-r", "windows-1251", "koi8-r", "\xC0\xE0", "\xE1\xC1"},
    {"unknown name is latin1", "x-unknown", "utf-8", "\xE9", "\xC3\xA9"},
    {"kamenicky to utf8", "x-kamenicky", "utf-8", "\x80\xA8", "\xC4\x8C\xC5\xA1"},
    {"utf7 to utf8", "utf-7", "utf-8", "Hi Mom -+Jjo--!", "Hi Mom -\xE2\x98\xBA-!"},
    {"utf8 to mutf7", "utf-8", "x-mutf-7", "a&\xE6\x97\xA5", "a&-&ZeU-"},
    {"utf16le mark to utf8", "utf-16", "utf-8", std::string("\xFF\xFE\xE9\x00", 4), "\xC3\xA9"},
    {"utf8 to ucs4le", "utf-8", "ucs-4le", "A", std::string("A\0\0\0", 4)},
    {"astral character lost through ucs2", "utf-8", "utf-16be", "a\xF0\x9F\x98\x80",
     std::string("\0a", 2)},
    {"invalid utf8 dropped", "utf-8", "iso-8859-1", "a\xFF" "b", "ab"},
    {"missing character becomes underscore", "utf-8", "iso-8859-1", "\xE2\x82\xAC" "5", "_5"},
    {"us-ascii drops 8-bit bytes", "us-ascii", "utf-8", "a\xE9", "a"},
    {"empty text", "iso-8859-2", "utf-8", "", ""},
};

TEST(ConvertCharsetBuiltin, ConvertsThroughTheBuiltInTables) {
  for (const ConvertCase& c : kBuiltinCases) {
    EXPECT_EQ(ConvertCharset(c.in, c.from, c.to, ConverterChoice::kBuiltinOnly), c.out) << c.label;
    EXPECT_EQ(ConvertCharsetWith(nullptr, c.in, c.from, c.to), c.out) << c.label;
  }
}

TEST(ConvertCharsetBuiltin, LeavesTextAloneWhenBothNamesAreOneCharset) {
  const std::string invalid = "a\xFF\xC0";
  EXPECT_EQ(ConvertCharset(invalid, "utf-8", "UTF8", ConverterChoice::kBuiltinOnly), invalid);
  EXPECT_EQ(ConvertCharset(invalid, "latin1", "x-whatever"), invalid);
  EXPECT_EQ(ConvertCharset(invalid, "utf-8", "utf8"), invalid);
}

// A scripted library: records the names it is opened with, refuses the pairs it
// is told to refuse, copies input to output at most three bytes per call, and
// reports byte 0xFF as invalid without skipping it.
struct FakeLibrary {
  static inline std::vector<std::pair<std::string, std::string>> opened;
  static inline std::string refuse_from;
  static inline int closed = 0;
  static inline int handle = 0;

  static void* Open(const char* to, const char* from) {
    opened.emplace_back(to, from);
    if (refuse_from == from) return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
    return &handle;
  }
  static std::size_t Convert(void*, char** in, std::size_t* in_left, char** out,
                             std::size_t* out_left) {
    if (in == nullptr || *in_left == 0) return 0;
    std::size_t n = 0;
    while (n < 3 && *in_left > 0) {
      if (static_cast<unsigned char>(**in) == 0xFF) return static_cast<std::size_t>(-1);
      if (*out_left == 0) return static_cast<std::size_t>(-1);
      **out = **in;
      ++*in, ++*out, --*in_left, --*out_left, ++n;
    }
    return *in_left == 0 ? 0 : static_cast<std::size_t>(-1);
  }
  static int Close(void*) {
    ++closed;
    return 0;
  }
  static IconvFunctions Functions() {
    opened.clear();
    refuse_from.clear();
    closed = 0;
    IconvFunctions f;
    f.open = &Open;
    f.convert = &Convert;
    f.close = &Close;
    f.origin = "fake";
    return f;
  }
};

TEST(ConvertCharsetLibrary, OpensBothStepsThroughUcs2WithIgnoreAndTranslit) {
  const IconvFunctions lib = FakeLibrary::Functions();
  const std::string out = ConvertCharsetWith(&lib, "abcdefg", "latin2", "utf-8");
  ASSERT_EQ(FakeLibrary::opened.size(), 2u);
  EXPECT_EQ(FakeLibrary::opened[0], std::make_pair(std::string("UCS-2BE//IGNORE"),
                                                   std::string("ISO-8859-2")));
  EXPECT_EQ(FakeLibrary::opened[1], std::make_pair(std::string("UTF-8//IGNORE//TRANSLIT"),
                                                   std::string("UCS-2BE")));
  EXPECT_EQ(FakeLibrary::closed, 2);
  EXPECT_EQ(out, "abcdefg");  // the fake copies, so both steps pass the bytes through
}

TEST(ConvertCharsetLibrary, SkipsInputTheLibraryNeitherTakesNorSkips) {
  const IconvFunctions lib = FakeLibrary::Functions();
  EXPECT_EQ(ConvertCharsetWith(&lib, "\xFF" "ab\xFF\xFF" "cdef\xFF", "latin2", "utf-8"), "abcdef");
}

TEST(ConvertCharsetLibrary, UsesTheBuiltInTablesForAStepWhoseConverterDoesNotOpen) {
  const IconvFunctions lib = FakeLibrary::Functions();
  FakeLibrary::refuse_from = "ISO-8859-2";
  // Step 1 built in (latin2 -> UCS-2BE), step 2 by the copying fake: UCS-2BE bytes come out.
  EXPECT_EQ(ConvertCharsetWith(&lib, "a\xB1", "latin2", "utf-8"), std::string("\0a\x01\x05", 4));
  FakeLibrary::Functions();
  FakeLibrary::refuse_from = "UCS-2BE";
  // Step 1 by the fake (copies "\0a"), step 2 built in (UCS-2BE -> UTF-8).
  EXPECT_EQ(ConvertCharsetWith(&lib, std::string("\0a\x01\x05", 4), "latin2", "utf-8"),
            "a\xC4\x85");
}

TEST(ConvertCharsetLibrary, SystemLibraryAgreesWithTheBuiltInTablesOnCommonCharsets) {
  const ConvertCase cases[] = {
      {"latin2", "ISO-8859-2", "UTF-8", "\xA1\xB1\xE6\xEA\xF3 z", ""},
      {"cp1251", "windows-1251", "utf-8", "\xCF\xF0\xE8\xE2\xE5\xF2", ""},
      {"cp1252", "windows-1252", "utf-8", "\x80\x93\x94\xE9", ""},
      {"koi8-r", "koi8-r", "utf-8", "\xF0\xD2\xC9\xD7\xC5\xD4", ""},
      {"greek", "iso-8859-7", "utf-8", "\xE1\xE2\xE3", ""},
      {"dos", "ibm437", "utf-8", "\x82\x84\xB0", ""},
      {"utf8 to latin2", "utf-8", "iso-8859-2", "\xC4\x85\xC5\xBC", ""},
      {"utf8 to cp1250", "utf-8", "windows-1250", "\xC5\xA1\xC4\x8D", ""},
      {"utf7 to utf8", "utf-7", "utf-8", "A+ImIDkQ.", ""},
  };
  const IconvFunctions* lib = SystemIconv();
  for (const ConvertCase& c : cases) {
    const std::string builtin = ConvertCharset(c.in, c.from, c.to, ConverterChoice::kBuiltinOnly);
    EXPECT_FALSE(builtin.empty()) << c.label;
    EXPECT_EQ(ConvertCharset(c.in, c.from, c.to), builtin)
        << c.label << " via " << (lib != nullptr ? lib->origin : std::string("built-in tables"));
  }
}

std::string RunLibrary(const IconvFunctions& lib, const char* to, const char* from,
                       std::string in) {
  void* cd = lib.open(to, from);
  if (cd == reinterpret_cast<void*>(static_cast<std::intptr_t>(-1))) return "(not opened)";
  std::string out(in.size() * 4 + 8, '\0');
  char* in_ptr = in.data();
  std::size_t in_left = in.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  lib.convert(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  lib.close(cd);
  out.resize(out.size() - out_left);
  return out;
}

TEST(SystemIconvLibrary, IsLoadedOnceAndConverts) {
  const IconvFunctions* lib = SystemIconv();
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(SystemIconv(), lib);
#ifdef _WIN32
  // The stand-in DLL built beside the test program (tests/fake_iconv_dll.cpp).
  EXPECT_NE(lib->origin.find("libiconv-2.dll"), std::string::npos) << lib->origin;
  EXPECT_NE(lib->control, nullptr);
  EXPECT_EQ(RunLibrary(*lib, "UCS-2BE//IGNORE", "X-CHAFFGUARD-TEST", "copy"), "copy");
  EXPECT_EQ(RunLibrary(*lib, "UCS-2BE//IGNORE", "ISO-8859-2", "x"), "(not opened)");
#else
  EXPECT_EQ(RunLibrary(*lib, "UCS-2BE//IGNORE", "ISO-8859-2", "a\xB1"),
            std::string("\0a\x01\x05", 4))
      << lib->origin;
#endif
}

}  // namespace
}  // namespace chaffguard::mime

namespace chaffguard::mime {
namespace {

// The decoding of a text part: transfer decoding, then conversion to UTF-8.
TEST(PartTextDecoding, Latin2Base64AndQuotedPrintableBecomeUtf8) {
  const std::string utf8 =
      "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 ja\xC5\xBA\xC5\x84";
  const std::string base64_body = "WmG/87Pm\r\nIGfqtmyxIGphvPE=\r\n";
  const std::string qp_body = "<p>Za=BF=F3=B3=E6 g=EA=B6l=B1 =\r\nja=BC=F1</p>\r\n";
  for (ConverterChoice choice : {ConverterChoice::kBuiltinOnly, ConverterChoice::kLibraryFirst}) {
    EXPECT_EQ(ConvertCharset(DecodeBase64(base64_body), "ISO-8859-2", "UTF-8", choice), utf8);
    EXPECT_EQ(ConvertCharset(DecodeQuotedPrintable(qp_body), "iso-8859-2", "utf-8", choice),
              "<p>" + utf8 + "</p>\r\n");
  }
}

}  // namespace
}  // namespace chaffguard::mime

namespace chaffguard::mime {
namespace {

// Cross-check of the generated tables: every byte of every single-byte charset
// that the loaded library knows converts to UTF-8 the same way both ways. The
// C library's tables differ from the published code pages used here in a few
// known places, listed below. Charsets the library does not know use the
// built-in tables on both sides; with the Windows stand-in library that is every
// charset, so the check has teeth only where a real library is loaded (Linux).
TEST(SingleByteTables, AgreeWithTheLibraryByteForByte) {
  struct Known {
    std::string_view charset;
    int first, last;
  };
  const Known known[] = {
      {"MAC", 0xC6, 0xC6}, {"MAC", 0xF0, 0xF0}, {"MACCYRILLIC", 0xFF, 0xFF},
      {"TIS-620", 0x80, 0x9F},  // C1 controls there, unassigned in TIS 620
  };
  const IconvFunctions* lib = SystemIconv();
  ASSERT_NE(lib, nullptr);
  int compared = 0;
  for (int row = 0; row <= kKamenicky.value; ++row) {
    if (!HasBuiltinSingleByteTable(CharsetId{row})) continue;
    const std::string name(CanonicalCharsetName(CharsetId{row}));
    for (int b = 1; b < 256; ++b) {
      bool skip = false;
      for (const Known& k : known) skip = skip || (k.charset == name && b >= k.first && b <= k.last);
      if (skip) continue;
      const std::string in(1, static_cast<char>(b));
      EXPECT_EQ(ConvertCharsetWith(lib, in, name, "UTF-8"),
                ConvertCharsetWith(nullptr, in, name, "UTF-8"))
          << name << " byte " << b;
      ++compared;
    }
  }
  EXPECT_GT(compared, 70 * 250);
}

}  // namespace
}  // namespace chaffguard::mime
