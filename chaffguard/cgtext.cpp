#include "cgtext.h"

#include <cstdint>

namespace chaffguard {

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LowerChar(c);
  return r;
}

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpperChar(c);
  return r;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (LowerChar(text[i]) != LowerChar(prefix[i])) return false;
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string> items;
  size_t p = 0;
  const size_t n = text.size();
  // A NUL ends the text, as it would for a C string.
  auto at = [&](size_t i) -> char { return i < n ? text[i] : '\0'; };
  auto blank = [&](size_t i) { char c = at(i); return c != '\0' && IsBlank(c); };
  while (blank(p)) ++p;
  while (at(p) != '\0') {
    std::string item;
    if (at(p) == '"') {
      ++p;
      while (at(p) != '\0') {
        if (at(p) == '"') {
          if (at(p + 1) == '"') { item += '"'; p += 2; continue; }
          ++p;
          break;
        }
        item += at(p++);
      }
      // Characters after the closing quote up to the next separator are dropped.
      while (at(p) != '\0' && !IsBlank(at(p)) && at(p) != ',') ++p;
    } else {
      size_t b = p;
      while (at(p) != '\0' && !IsBlank(at(p)) && at(p) != ',') ++p;
      item.assign(text.substr(b, p - b));
    }
    items.push_back(std::move(item));
    while (blank(p)) ++p;
    if (at(p) == ',') {
      do ++p; while (blank(p));
    }
  }
  return items;
}

std::string PlainAddress(std::string_view text) {
  size_t lt = text.find('<');
  if (lt == std::string_view::npos) return Trim(text);
  std::string_view rest = text.substr(lt + 1);
  size_t gt = rest.find('>');
  if (gt != std::string_view::npos) rest = rest.substr(0, gt);
  return Trim(rest);
}

std::string WithTrailingSep(std::string_view dir) {
  if (dir.empty()) return std::string();
  std::string r(dir);
  if (r.back() == '/' || r.back() == '\\') return r;
  r += kPathSep;
  return r;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  return WithTrailingSep(dir) + std::string(name);
}

long long ParseInt(std::string_view text, long long fallback) {
  std::string t = Trim(text);
  if (t.empty()) return fallback;
  size_t i = 0;
  bool neg = false;
  if (t[i] == '-' || t[i] == '+') { neg = t[i] == '-'; ++i; }
  int base = 10;
  if (i < t.size() && t[i] == '$') { base = 16; ++i; }
  else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) { base = 16; i += 2; }
  if (i >= t.size()) return fallback;
  uint64_t v = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return fallback;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (v > (uint64_t{1} << 62)) return fallback;  // far beyond any setting
  }
  long long r = static_cast<long long>(v);
  return neg ? -r : r;
}

}  // namespace chaffguard
