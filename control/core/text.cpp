#include "text.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace control {

namespace {

bool IsSpaceCodePoint(std::uint32_t c) {
  return c == 0x20 || (c >= 9 && c <= 13) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// Decodes one UTF-8 sequence at s[i]; length 0 when it is not valid.
std::uint32_t Decode(std::string_view s, std::size_t i, std::size_t& len) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  len = 0;
  int n;
  std::uint32_t c;
  if (b < 0x80) { len = 1; return b; }
  if ((b & 0xE0) == 0xC0) { n = 1; c = b & 0x1F; }
  else if ((b & 0xF0) == 0xE0) { n = 2; c = b & 0x0F; }
  else if ((b & 0xF8) == 0xF0) { n = 3; c = b & 0x07; }
  else return 0;
  if (s.size() - i <= static_cast<std::size_t>(n)) return 0;
  for (int k = 1; k <= n; ++k) {
    unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    c = (c << 6) | (t & 0x3F);
  }
  len = static_cast<std::size_t>(n) + 1;
  return c;
}

std::optional<long long> Number(const std::string& s) {
  if (s.empty() || s.size() > 18) return std::nullopt;
  std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
  if (i == s.size()) return std::nullopt;
  long long v = 0;
  for (std::size_t k = i; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return std::nullopt;
    v = v * 10 + (s[k] - '0');
  }
  return s[0] == '-' ? -v : v;
}

}  // namespace

std::string RemoveWhiteSpace(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t len;
    std::uint32_t c = Decode(s, i, len);
    if (len == 0) {
      out += s[i++];
      continue;
    }
    if (!IsSpaceCodePoint(c)) out.append(s.substr(i, len));
    i += len;
  }
  return out;
}

std::string FormatPortList(std::string_view s) {
  if (s.find(',') == std::string_view::npos) return std::string(s);
  std::vector<std::string> items;
  std::string cur;
  for (char ch : s) {
    if (ch == ',' || static_cast<unsigned char>(ch) <= ' ') {
      if (!cur.empty()) items.push_back(std::move(cur));
      cur.clear();
    } else {
      cur += ch;
    }
  }
  if (!cur.empty()) items.push_back(std::move(cur));
  std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) {
    auto x = Number(a), y = Number(b);
    return x && y && *x < *y;
  });
  std::vector<std::string> unique;
  for (auto& it : items) {
    if (std::find(unique.begin(), unique.end(), it) == unique.end()) unique.push_back(it);
  }
  std::string out;
  for (std::size_t i = 0; i < unique.size(); ++i) {
    if (i) out += ", ";
    out += unique[i];
  }
  return out;
}

std::string IPAddrToString(std::uint32_t a) {
  return std::to_string(a & 0xFF) + "." + std::to_string((a >> 8) & 0xFF) + "." +
         std::to_string((a >> 16) & 0xFF) + "." + std::to_string((a >> 24) & 0xFF);
}

std::string GetLanguage() { return "en"; }

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool ContainsText(std::string_view hay, std::string_view needle) {
  return LowerAscii(hay).find(LowerAscii(needle)) != std::string::npos;
}

std::string Format(std::string_view m, std::initializer_list<FormatArg> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < m.size(); ++i) {
    if (m[i] != '%' || i + 1 >= m.size()) {
      out += m[i];
      continue;
    }
    char k = m[i + 1];
    if (k == '%') {
      out += '%';
      ++i;
    } else if (k == 's' || k == 'd') {
      if (next != args.end()) {
        if (auto* str = std::get_if<std::string>(&*next)) out += *str;
        else out += std::to_string(std::get<long long>(*next));
        ++next;
      }
      ++i;
    } else {
      out += m[i];
    }
  }
  return out;
}

}  // namespace control
