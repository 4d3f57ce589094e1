#include "charset_builtin.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "charset_tables.h"
#include "unicode_codecs.h"

namespace chaffguard::mime {
namespace {

// A single-byte charset as a full 256-entry table plus its sorted reverse map.
struct SingleByteCharset {
  std::array<char32_t, 256> to_unicode{};  // 0 for an unassigned byte (byte 0 maps to 0 too)
  std::vector<std::pair<char32_t, unsigned char>> from_unicode;
};

struct BuiltinCatalog {
  // Indexed by CharsetId::value (rows, then Kamenicky and modified UTF-7).
  std::vector<std::optional<SingleByteCharset>> single;
};

const BuiltinCatalog& Catalog() {
  static const BuiltinCatalog catalog = [] {
    BuiltinCatalog c;
    c.single.resize(static_cast<std::size_t>(kModifiedUtf7.value) + 1);
    for (std::size_t t = 0; t < detail::kSingleByteTableCount; ++t) {
      const detail::SingleByteTable& table = detail::kSingleByteTables[t];
      const std::string_view key = table.key;
      const int index =
          key == "KAMENICKY" ? kKamenicky.value : FindCharsetRowByCanonicalName(key);
      if (index < 0) continue;
      SingleByteCharset sb;
      for (int b = 0; b < 128; ++b) sb.to_unicode[static_cast<std::size_t>(b)] = static_cast<char32_t>(b);
      for (int b = 0; b < 128; ++b) sb.to_unicode[static_cast<std::size_t>(128 + b)] = table.upper[b];
      for (std::size_t e = 0; e < detail::kLowerHalfExceptionCount; ++e) {
        if (key == detail::kLowerHalfExceptions[e].key) {
          sb.to_unicode[detail::kLowerHalfExceptions[e].byte] =
              detail::kLowerHalfExceptions[e].code_point;
        }
      }
      for (int b = 0; b < 256; ++b) {
        const char32_t cp = sb.to_unicode[static_cast<std::size_t>(b)];
        if (cp != 0 || b == 0) sb.from_unicode.emplace_back(cp, static_cast<unsigned char>(b));
      }
      // Stable, so that a code point reachable from two bytes encodes to the lower one.
      std::stable_sort(sb.from_unicode.begin(), sb.from_unicode.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      c.single[static_cast<std::size_t>(index)] = std::move(sb);
    }
    return c;
  }();
  return catalog;
}

const SingleByteCharset* SingleByte(CharsetId id) {
  const auto& single = Catalog().single;
  if (id.value < 0 || static_cast<std::size_t>(id.value) >= single.size()) return nullptr;
  const auto& entry = single[static_cast<std::size_t>(id.value)];
  return entry ? &*entry : nullptr;
}

std::optional<UnicodeForm> FormOf(CharsetId id) {
  if (id == kModifiedUtf7) return UnicodeForm::kModifiedUtf7;
  const std::string_view name = CanonicalCharsetName(id);
  struct Entry {
    std::string_view name;
    UnicodeForm form;
  };
  static constexpr Entry kForms[] = {
      {"UTF-8", UnicodeForm::kUtf8},         {"ISO-10646-UCS-2", UnicodeForm::kUcs2},
      {"UCS-2BE", UnicodeForm::kUcs2Be},     {"UCS-2LE", UnicodeForm::kUcs2Le},
      {"ISO-10646-UCS-4", UnicodeForm::kUcs4}, {"UCS-4BE", UnicodeForm::kUcs4Be},
      {"UCS-4LE", UnicodeForm::kUcs4Le},     {"UTF-16", UnicodeForm::kUtf16},
      {"UTF-16BE", UnicodeForm::kUtf16Be},   {"UTF-16LE", UnicodeForm::kUtf16Le},
      {"UTF-32", UnicodeForm::kUtf32},       {"UTF-32BE", UnicodeForm::kUtf32Be},
      {"UTF-32LE", UnicodeForm::kUtf32Le},   {"UNICODE-1-1-UTF-7", UnicodeForm::kUtf7},
      {"C99", UnicodeForm::kC99},            {"JAVA", UnicodeForm::kJava},
  };
  for (const Entry& e : kForms) {
    if (e.name == name) return e.form;
  }
  return std::nullopt;
}

// Charsets without a converter of their own are handled as ISO-8859-1.
const SingleByteCharset& SingleByteOrLatin1(CharsetId id) {
  const SingleByteCharset* sb = SingleByte(id);
  return sb != nullptr ? *sb : *SingleByte(CharsetId{0});
}

}  // namespace

bool HasBuiltinSingleByteTable(CharsetId id) { return SingleByte(id) != nullptr; }

bool HasBuiltinConverter(CharsetId id) {
  return SingleByte(id) != nullptr || FormOf(id).has_value();
}

std::u32string BuiltinDecode(CharsetId from, std::string_view text) {
  if (const auto form = FormOf(from)) return DecodeUnicode(*form, text);
  const SingleByteCharset& sb = SingleByteOrLatin1(from);
  std::u32string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    const char32_t cp = sb.to_unicode[b];
    if (cp != 0 || b == 0) out.push_back(cp);
  }
  return out;
}

std::string BuiltinEncode(CharsetId to, std::u32string_view code_points) {
  if (const auto form = FormOf(to)) return EncodeUnicode(*form, code_points);
  const SingleByteCharset& sb = SingleByteOrLatin1(to);
  std::string out;
  out.reserve(code_points.size());
  for (char32_t cp : code_points) {
    const auto it = std::lower_bound(
        sb.from_unicode.begin(), sb.from_unicode.end(), cp,
        [](const std::pair<char32_t, unsigned char>& e, char32_t v) { return e.first < v; });
    if (it != sb.from_unicode.end() && it->first == cp) {
      out.push_back(static_cast<char>(it->second));
    } else {
      out.push_back('_');
    }
  }
  return out;
}

}  // namespace chaffguard::mime
