#include "transfer_codecs.h"

#include <array>
#include <cstdint>

namespace chaffguard::mime {
namespace {

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kXxAlphabet[] =
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::array<signed char, 256> ReverseTable(const char* alphabet) {
  std::array<signed char, 256> t{};
  t.fill(-1);
  for (int i = 0; i < 64; ++i) t[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
  return t;
}

const std::array<signed char, 256>& Base64Reverse() {
  static const auto t = ReverseTable(kBase64Alphabet);
  return t;
}

const std::array<signed char, 256>& XxReverse() {
  static const auto t = ReverseTable(kXxAlphabet);
  return t;
}

bool StartsWithNoCase(std::string_view line, std::string_view upper_prefix) {
  if (line.size() < upper_prefix.size()) return false;
  for (std::size_t i = 0; i < upper_prefix.size(); ++i) {
    char c = line[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper_prefix[i]) return false;
  }
  return true;
}

// Decodes one uuencoded or xxencoded line; value(c) gives a character's 6 bits.
template <typename Value>
void DecodeSixBitLine(std::string_view line, Value value, std::string& out) {
  if (line.empty()) return;
  std::size_t remaining = static_cast<std::size_t>(value(line[0]));
  std::size_t i = 1;
  while (remaining > 0 && i < line.size()) {
    std::uint32_t group = 0;
    for (int k = 0; k < 4; ++k) {
      const std::size_t at = i + static_cast<std::size_t>(k);
      group = (group << 6) | static_cast<std::uint32_t>(at < line.size() ? value(line[at]) : 0);
    }
    // An incomplete last group yields only the bytes its characters fill.
    const std::size_t present = line.size() - i < 4 ? line.size() - i : 4;
    const int bytes = present == 4 ? 3 : static_cast<int>(present * 6 / 8);
    for (int k = 2; k >= 3 - bytes && remaining > 0; --k, --remaining) {
      out.push_back(static_cast<char>((group >> (8 * k)) & 0xFF));
    }
    i += 4;
  }
}

template <typename Value>
std::string DecodeSixBitText(std::string_view text, Value value, bool skip_table) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    if (StartsWithNoCase(line, "BEGIN") || StartsWithNoCase(line, "END") ||
        (skip_table && StartsWithNoCase(line, "TABLE"))) {
      continue;
    }
    DecodeSixBitLine(line, value, out);
  }
  return out;
}

std::vector<std::string> EncodeSixBitLines(std::string_view data, const char* alphabet) {
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < data.size(); pos += 45) {
    const std::string_view chunk = data.substr(pos, 45);
    std::string line(1, alphabet[chunk.size()]);
    for (std::size_t i = 0; i < chunk.size(); i += 3) {
      std::uint32_t group = 0;
      for (std::size_t k = 0; k < 3; ++k) {
        group = (group << 8) |
                (i + k < chunk.size() ? static_cast<unsigned char>(chunk[i + k]) : 0u);
      }
      for (int k = 3; k >= 0; --k) line.push_back(alphabet[(group >> (6 * k)) & 0x3F]);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Quoted-printable encoding of one line (without its line break).
void EncodeQpLine(std::string_view line, bool soft_end, std::vector<std::string>& lines) {
  constexpr std::size_t kMaxChars = 76;
  std::string current;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto b = static_cast<unsigned char>(line[i]);
    const bool last = i + 1 == line.size();
    const bool literal = (b >= 33 && b <= 126 && b != '=') || (IsBlank(line[i]) && !last);
    std::string piece;
    if (literal) {
      piece.push_back(static_cast<char>(b));
    } else {
      piece = {'=', kHex[b >> 4], kHex[b & 15]};
    }
    if (current.size() + piece.size() > kMaxChars) {
      current.push_back('=');
      lines.push_back(std::move(current));
      current.clear();
    }
    current += piece;
  }
  if (soft_end) current.push_back('=');
  lines.push_back(std::move(current));
}

}  // namespace

std::string DecodeQuotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  std::size_t pending_blanks = 0;  // blanks seen but not yet known to be mid-line
  auto flush_blanks = [&](std::size_t upto) {
    out.append(text.substr(upto - pending_blanks, pending_blanks));
    pending_blanks = 0;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (IsBlank(c)) {
      ++pending_blanks;
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      pending_blanks = 0;  // padding at the end of a line
      out.push_back(c);
      ++i;
      continue;
    }
    flush_blanks(i);
    if (c != '=') {
      out.push_back(c);
      ++i;
      continue;
    }
    // "=" followed by blanks and a line break (or the end) is a soft break.
    std::size_t j = i + 1;
    while (j < text.size() && IsBlank(text[j])) ++j;
    if (j == text.size()) {
      i = j;
      continue;
    }
    if (text[j] == '\r' || text[j] == '\n') {
      if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
      i = j + 1;
      continue;
    }
    if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 3;
      continue;
    }
    out.push_back('=');
    ++i;
  }
  return out;
}

std::string DecodeBase64(std::string_view text) {
  const auto& rev = Base64Reverse();
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  std::uint32_t bits = 0;
  int nbits = 0;
  for (char ch : text) {
    if (ch == '=') {
      bits = 0;
      nbits = 0;
      continue;
    }
    const int v = rev[static_cast<unsigned char>(ch)];
    if (v < 0) continue;
    bits = ((bits << 6) | static_cast<std::uint32_t>(v)) & 0xFFFFFF;
    nbits += 6;
    if (nbits >= 8) {
      nbits -= 8;
      out.push_back(static_cast<char>((bits >> nbits) & 0xFF));
    }
  }
  return out;
}

std::string DecodeUuencode(std::string_view text) {
  return DecodeSixBitText(
      text, [](char c) { return (static_cast<unsigned char>(c) - 32) & 63; }, true);
}

std::string DecodeXxencode(std::string_view text) {
  const auto& rev = XxReverse();
  return DecodeSixBitText(
      text,
      [&rev](char c) {
        const int v = rev[static_cast<unsigned char>(c)];
        return v < 0 ? 0 : v;
      },
      false);
}

std::vector<std::string> EncodeBase64Lines(std::string_view data) {
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < data.size(); pos += 54) {
    const std::string_view chunk = data.substr(pos, 54);
    std::string line;
    for (std::size_t i = 0; i < chunk.size(); i += 3) {
      const std::size_t n = chunk.size() - i < 3 ? chunk.size() - i : 3;
      std::uint32_t group = 0;
      for (std::size_t k = 0; k < 3; ++k) {
        group = (group << 8) | (k < n ? static_cast<unsigned char>(chunk[i + k]) : 0u);
      }
      for (std::size_t k = 0; k < 4; ++k) {
        line.push_back(k <= n ? kBase64Alphabet[(group >> (18 - 6 * k)) & 0x3F] : '=');
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> EncodeQuotedPrintableLines(std::string_view data) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t end = data.find("\r\n", pos);
    if (end == std::string_view::npos) {
      const std::string_view rest = data.substr(pos);
      if (!rest.empty() || lines.empty()) EncodeQpLine(rest, true, lines);
      break;
    }
    EncodeQpLine(data.substr(pos, end - pos), false, lines);
    pos = end + 2;
    if (pos == data.size()) break;
  }
  return lines;
}

std::vector<std::string> EncodeUuencodeLines(std::string_view data) {
  // "`" stands for zero so that no line carries significant trailing spaces.
  std::vector<std::string> lines = EncodeSixBitLines(
      data, "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_");
  return lines;
}

std::vector<std::string> EncodeXxencodeLines(std::string_view data) {
  return EncodeSixBitLines(data, kXxAlphabet);
}

}  // namespace chaffguard::mime
