// libFuzzer target over the MIME layers: transfer decoders and encoders,
// encoded words, charset conversion (built-in and library) and the token list.
// Built only with -DCHAFFGUARD_FUZZ=ON and clang (see ../CMakeLists.txt).
//
// Input layout: byte 0 picks the source charset row, byte 1 the target row,
// the rest is the text. Round trips that must hold abort when they do not.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "charset_builtin.h"
#include "charset_convert.h"
#include "charset_names.h"
#include "encoded_words.h"
#include "mwQuickAndDirtyHashStrings.h"
#include "token_split.h"
#include "transfer_codecs.h"
#include "unicode_codecs.h"

using namespace chaffguard::mime;

namespace {

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

bool AnyFrameLike(const std::vector<std::string>& lines) {
  for (const std::string& l : lines) {
    std::string head = l.substr(0, 5);
    for (char& c : head) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    if (head.rfind("BEGIN", 0) == 0 || head.rfind("END", 0) == 0 || head.rfind("TABLE", 0) == 0) {
      return true;
    }
  }
  return false;
}

void CheckAt(bool ok, int line) {
  if (!ok) {
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
  }
}

#define Check(condition) CheckAt((condition), __LINE__)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto rows = CharsetAliasRows();
  const int from_index = data[0] % (kCharsetAliasRowCount + 2);
  const int to_index = data[1] % (kCharsetAliasRowCount + 2);
  const std::string from(CanonicalCharsetName(CharsetId{from_index}));
  const std::string to(CanonicalCharsetName(CharsetId{to_index}));
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

  const std::string qp = DecodeQuotedPrintable(text);
  const std::string b64 = DecodeBase64(text);
  const std::string uu = DecodeUuencode(text);
  const std::string xx = DecodeXxencode(text);
  Check(qp.size() <= text.size() && b64.size() <= text.size());
  Check(uu.size() <= text.size() && xx.size() <= text.size());

  Check(DecodeQuotedPrintable(Join(EncodeQuotedPrintableLines(text))) == text);
  Check(DecodeBase64(Join(EncodeBase64Lines(text))) == text);
  // A data line that happens to start like a frame line is skipped by the
  // decoders (a limit of the formats), so those inputs are left out here.
  const auto uu_lines = EncodeUuencodeLines(text);
  const auto xx_lines = EncodeXxencodeLines(text);
  if (!AnyFrameLike(uu_lines)) Check(DecodeUuencode(Join(uu_lines)) == text);
  if (!AnyFrameLike(xx_lines)) Check(DecodeXxencode(Join(xx_lines)) == text);

  const std::string builtin = ConvertCharset(text, from, to, ConverterChoice::kBuiltinOnly);
  const std::string library = ConvertCharset(text, from, to, ConverterChoice::kLibraryFirst);
  (void)library;
  // Built-in UTF-8 output is always valid UTF-8 that decodes and re-encodes unchanged.
  if (ResolveCharset(to) == ResolveCharset("UTF-8") && ResolveCharset(from) != ResolveCharset(to)) {
    Check(EncodeUnicode(UnicodeForm::kUtf8, DecodeUnicode(UnicodeForm::kUtf8, builtin)) == builtin);
  }
  (void)DecodeEncodedWords(text, to, ConverterChoice::kBuiltinOnly);
  (void)rows;

  TmwQuickAndDirtyHashStrings list;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ' ' || text[i] == '\n') {
      if (i > start) {
        const std::string_view key = text.substr(start, i - start);
        const int at = list.AddOccurrence(key, (i & 1) != 0);
        Check(TmwQuickAndDirtyHashStrings::SameKey(list[at].Key, key));
        list[at].Interest = static_cast<long double>(key.size() % 7) / 7;
      }
      start = i + 1;
    }
  }
  list.SortByInterest();
  for (int i = 1; i < list.Count(); ++i) Check(!(list[i].Interest < list[i - 1].Interest));

  // Both insertion policies give the same tokens and counts.
  TokenLimits limits;
  limits.min_token_length = 1 + data[0] % 4;
  limits.max_token_length = limits.min_token_length + data[1] % 24;
  limits.max_length = 64 + size % 4096;
  TmwQuickAndDirtyHashStrings lazy(TmwQuickAndDirtyHashStrings::InsertPolicy::kLazyResort);
  TmwQuickAndDirtyHashStrings kept(TmwQuickAndDirtyHashStrings::InsertPolicy::kKeepSorted);
  const std::string stripped = StripHtmlTags(RemoveHtmlComments(text));
  Check(stripped.size() <= text.size() * 2);
  for (TmwQuickAndDirtyHashStrings* l : {&lazy, &kept}) {
    TokenizeText(text, "", TokenMode::kCounting, limits, *l);
    TokenizeText(stripped, "", TokenMode::kNoIncrement, limits, *l);
  }
  Check(lazy.Count() == kept.Count());
  for (int i = 0; i < lazy.Count(); ++i) {
    Check(lazy[i].Key.size() >= limits.min_token_length &&
          lazy[i].Key.size() <= limits.max_token_length);
    const int j = kept.IndexOf(lazy[i].Key);
    Check(j >= 0 && kept[j].Key == lazy[i].Key && kept[j].Count == lazy[i].Count);
  }
  return 0;
}
