#include "unicode_codecs.h"

#include <cstdint>

namespace chaffguard::mime {
namespace {

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsScalar(char32_t c) { return c <= 0x10FFFF && !IsSurrogate(c); }

// ---- UTF-8 ----

std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, cp = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, cp = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, cp = b & 0x07, min = 0x10000;
    } else {
      ++i;  // stray continuation byte or invalid lead byte
      continue;
    }
    std::size_t j = i + 1;
    int got = 0;
    while (got < extra && j < s.size() && (static_cast<unsigned char>(s[j]) & 0xC0) == 0x80) {
      cp = (cp << 6) | (static_cast<unsigned char>(s[j]) & 0x3F);
      ++j;
      ++got;
    }
    if (got == extra && cp >= min && IsScalar(cp)) out.push_back(cp);
    i = j;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// ---- UTF-16 code unit streams (shared by UTF-7 and UTF-16) ----

// Collects UTF-16 code units and combines surrogate pairs; lone surrogates are dropped.
struct Utf16Joiner {
  std::u32string& out;
  char32_t high = 0;
  void Push(char32_t unit) {
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high = unit;
      return;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      if (high != 0) out.push_back(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
      high = 0;
      return;
    }
    high = 0;
    out.push_back(unit);
  }
};

void AppendUtf16Units(std::u16string& units, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    units.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    units.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    units.push_back(static_cast<char16_t>(c));
  }
}

// ---- UTF-7 and modified UTF-7 ----

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(unsigned char c, bool modified) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == (modified ? ',' : '/')) return 63;
  return -1;
}

std::u32string DecodeUtf7(std::string_view s, bool modified) {
  const char shift = modified ? '&' : '+';
  std::u32string out;
  Utf16Joiner joiner{out};
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c != static_cast<unsigned char>(shift)) {
      if (c < 0x80) joiner.Push(c);  // 8-bit bytes are not UTF-7
      ++i;
      continue;
    }
    ++i;
    if (i < s.size() && s[i] == '-') {  // "+-" or "&-" is the shift character itself
      joiner.Push(static_cast<unsigned char>(shift));
      ++i;
      continue;
    }
    std::uint32_t bits = 0;
    int nbits = 0;
    while (i < s.size()) {
      const int v = Base64Value(static_cast<unsigned char>(s[i]), modified);
      if (v < 0) break;
      bits = ((bits << 6) | static_cast<std::uint32_t>(v)) & 0xFFFFFF;
      nbits += 6;
      if (nbits >= 16) {
        nbits -= 16;
        joiner.Push((bits >> nbits) & 0xFFFF);
      }
      ++i;
    }
    if (i < s.size() && s[i] == '-') ++i;  // the terminator is absorbed
  }
  return out;
}

bool Utf7Direct(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  constexpr std::u32string_view kDirect = U"'(),-./:? \t\r\n!\"#$%*;<=>@[]^_`{|}";
  return kDirect.find(c) != std::u32string_view::npos;
}

std::string EncodeUtf7(std::u32string_view cps, bool modified) {
  const char shift = modified ? '&' : '+';
  std::string out;
  std::u16string run;
  auto flush = [&](bool next_needs_dash) {
    if (run.empty()) return;
    out.push_back(shift);
    std::uint32_t bits = 0;
    int nbits = 0;
    for (char16_t u : run) {
      bits = (bits << 16) | u;
      nbits += 16;
      while (nbits >= 6) {
        nbits -= 6;
        char ch = kBase64[(bits >> nbits) & 0x3F];
        if (modified && ch == '/') ch = ',';
        out.push_back(ch);
      }
    }
    if (nbits > 0) {
      char ch = kBase64[(bits << (6 - nbits)) & 0x3F];
      if (modified && ch == '/') ch = ',';
      out.push_back(ch);
    }
    if (modified || next_needs_dash) out.push_back('-');
    run.clear();
  };
  for (char32_t c : cps) {
    if (!IsScalar(c)) continue;
    const bool direct = modified ? (c >= 0x20 && c <= 0x7E && c != '&') : Utf7Direct(c);
    if (direct) {
      flush(Base64Value(static_cast<unsigned char>(c), false) >= 0 || c == '-');
      out.push_back(static_cast<char>(c));
    } else if (c == static_cast<char32_t>(shift)) {
      flush(true);
      out.push_back(shift);
      out.push_back('-');
    } else {
      AppendUtf16Units(run, c);
    }
  }
  flush(true);
  return out;
}

// ---- escape forms ----

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads `digits` hex digits at s[at]; -1 when they are not all there.
long ReadHex(std::string_view s, std::size_t at, int digits) {
  if (at + static_cast<std::size_t>(digits) > s.size()) return -1;
  long v = 0;
  for (int k = 0; k < digits; ++k) {
    const int d = HexDigit(s[at + static_cast<std::size_t>(k)]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

std::u32string DecodeEscapes(std::string_view s, bool c99) {
  std::u32string out;
  Utf16Joiner joiner{out};
  const unsigned direct_limit = c99 ? 0xA0 : 0x80;
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b == '\\' && i + 1 < s.size() && (s[i + 1] == 'u' || (c99 && s[i + 1] == 'U'))) {
      const int digits = s[i + 1] == 'u' ? 4 : 8;
      const long v = ReadHex(s, i + 2, digits);
      if (v >= 0) {
        if (c99) {
          if (IsScalar(static_cast<char32_t>(v))) out.push_back(static_cast<char32_t>(v));
        } else {
          joiner.Push(static_cast<char32_t>(v));
        }
        i += 2 + static_cast<std::size_t>(digits);
        continue;
      }
    }
    if (b < direct_limit) joiner.Push(b);
    ++i;
  }
  return out;
}

void AppendEscape(std::string& out, char32_t c, bool big) {
  constexpr char kHexDigits[] = "0123456789abcdef";
  out.push_back('\\');
  out.push_back(big ? 'U' : 'u');
  for (int k = big ? 7 : 3; k >= 0; --k) out.push_back(kHexDigits[(c >> (4 * k)) & 15]);
}

std::string EncodeEscapes(std::u32string_view cps, bool c99) {
  std::string out;
  for (char32_t c : cps) {
    if (!IsScalar(c)) continue;
    if (c < (c99 ? 0xA0u : 0x80u)) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x10000) {
      AppendEscape(out, c, false);
    } else if (c99) {
      AppendEscape(out, c, true);
    } else {
      std::u16string units;
      AppendUtf16Units(units, c);
      for (char16_t u : units) AppendEscape(out, u, false);
    }
  }
  return out;
}

// ---- fixed-width forms ----

enum class Order { kDetect, kBig, kLittle };

std::uint32_t ReadUnit(std::string_view s, std::size_t at, int width, bool big) {
  std::uint32_t v = 0;
  for (int k = 0; k < width; ++k) {
    const auto b = static_cast<unsigned char>(s[at + static_cast<std::size_t>(k)]);
    if (big) {
      v = (v << 8) | b;
    } else {
      v |= static_cast<std::uint32_t>(b) << (8 * k);
    }
  }
  return v;
}

void WriteUnit(std::string& out, std::uint32_t v, int width, bool big) {
  for (int k = 0; k < width; ++k) {
    const int shift = big ? 8 * (width - 1 - k) : 8 * k;
    out.push_back(static_cast<char>((v >> shift) & 0xFF));
  }
}

std::u32string DecodeFixed(std::string_view s, int width, Order order, bool pairs) {
  std::u32string out;
  bool big = order != Order::kLittle;
  std::size_t i = 0;
  if (order == Order::kDetect && s.size() >= static_cast<std::size_t>(width)) {
    const std::uint32_t be = ReadUnit(s, 0, width, true);
    const std::uint32_t le = ReadUnit(s, 0, width, false);
    if (be == 0xFEFF) {
      i = static_cast<std::size_t>(width);
    } else if (le == 0xFEFF) {
      big = false;
      i = static_cast<std::size_t>(width);
    }
  }
  Utf16Joiner joiner{out};
  for (; i + static_cast<std::size_t>(width) <= s.size(); i += static_cast<std::size_t>(width)) {
    const std::uint32_t v = ReadUnit(s, i, width, big);
    if (pairs) {
      joiner.Push(v);
    } else if (IsScalar(v)) {
      out.push_back(v);
    }
  }
  return out;
}

std::string EncodeFixed(std::u32string_view cps, int width, bool big, bool bom, bool pairs) {
  std::string out;
  out.reserve(cps.size() * static_cast<std::size_t>(width) + 4);
  if (bom) WriteUnit(out, 0xFEFF, width, big);
  for (char32_t c : cps) {
    if (!IsScalar(c)) continue;
    if (width == 2 && c > 0xFFFF) {
      if (!pairs) continue;
      std::u16string units;
      AppendUtf16Units(units, c);
      for (char16_t u : units) WriteUnit(out, u, 2, big);
      continue;
    }
    WriteUnit(out, c, width, big);
  }
  return out;
}

}  // namespace

std::u32string DecodeUnicode(UnicodeForm form, std::string_view bytes) {
  switch (form) {
    case UnicodeForm::kUtf8: return DecodeUtf8(bytes);
    case UnicodeForm::kUtf7: return DecodeUtf7(bytes, false);
    case UnicodeForm::kModifiedUtf7: return DecodeUtf7(bytes, true);
    case UnicodeForm::kUcs2: return DecodeFixed(bytes, 2, Order::kDetect, false);
    case UnicodeForm::kUcs2Be: return DecodeFixed(bytes, 2, Order::kBig, false);
    case UnicodeForm::kUcs2Le: return DecodeFixed(bytes, 2, Order::kLittle, false);
    case UnicodeForm::kUcs4: return DecodeFixed(bytes, 4, Order::kDetect, false);
    case UnicodeForm::kUcs4Be: return DecodeFixed(bytes, 4, Order::kBig, false);
    case UnicodeForm::kUcs4Le: return DecodeFixed(bytes, 4, Order::kLittle, false);
    case UnicodeForm::kUtf16: return DecodeFixed(bytes, 2, Order::kDetect, true);
    case UnicodeForm::kUtf16Be: return DecodeFixed(bytes, 2, Order::kBig, true);
    case UnicodeForm::kUtf16Le: return DecodeFixed(bytes, 2, Order::kLittle, true);
    case UnicodeForm::kUtf32: return DecodeFixed(bytes, 4, Order::kDetect, false);
    case UnicodeForm::kUtf32Be: return DecodeFixed(bytes, 4, Order::kBig, false);
    case UnicodeForm::kUtf32Le: return DecodeFixed(bytes, 4, Order::kLittle, false);
    case UnicodeForm::kC99: return DecodeEscapes(bytes, true);
    case UnicodeForm::kJava: return DecodeEscapes(bytes, false);
  }
  return {};
}

std::string EncodeUnicode(UnicodeForm form, std::u32string_view cps) {
  switch (form) {
    case UnicodeForm::kUtf8: {
      std::string out;
      out.reserve(cps.size());
      for (char32_t c : cps) {
        if (IsScalar(c)) AppendUtf8(out, c);
      }
      return out;
    }
    case UnicodeForm::kUtf7: return EncodeUtf7(cps, false);
    case UnicodeForm::kModifiedUtf7: return EncodeUtf7(cps, true);
    case UnicodeForm::kUcs2:
    case UnicodeForm::kUcs2Be: return EncodeFixed(cps, 2, true, false, false);
    case UnicodeForm::kUcs2Le: return EncodeFixed(cps, 2, false, false, false);
    case UnicodeForm::kUcs4:
    case UnicodeForm::kUcs4Be: return EncodeFixed(cps, 4, true, false, false);
    case UnicodeForm::kUcs4Le: return EncodeFixed(cps, 4, false, false, false);
    case UnicodeForm::kUtf16: return EncodeFixed(cps, 2, true, true, true);
    case UnicodeForm::kUtf16Be: return EncodeFixed(cps, 2, true, false, true);
    case UnicodeForm::kUtf16Le: return EncodeFixed(cps, 2, false, false, true);
    case UnicodeForm::kUtf32: return EncodeFixed(cps, 4, true, true, false);
    case UnicodeForm::kUtf32Be: return EncodeFixed(cps, 4, true, false, false);
    case UnicodeForm::kUtf32Le: return EncodeFixed(cps, 4, false, false, false);
    case UnicodeForm::kC99: return EncodeEscapes(cps, true);
    case UnicodeForm::kJava: return EncodeEscapes(cps, false);
  }
  return {};
}

}  // namespace chaffguard::mime
