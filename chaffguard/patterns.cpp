#include "patterns.h"

#include <vector>

#include "cgtext.h"
#include "inifile.h"

namespace chaffguard {

namespace {
char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Matches one "[...]" set starting at pattern[p] == '['; sets `end` after ']'.
bool SetMatches(const std::string& pat, size_t p, char c, size_t* end, bool* valid) {
  size_t i = p + 1;
  bool negate = false;
  if (i < pat.size() && pat[i] == '!') { negate = true; ++i; }
  bool hit = false;
  bool first = true;
  while (i < pat.size() && (pat[i] != ']' || first)) {
    first = false;
    char lo = Fold(pat[i]);
    char hi = lo;
    if (i + 2 < pat.size() && pat[i + 1] == '-' && pat[i + 2] != ']') {
      hi = Fold(pat[i + 2]);
      i += 3;
    } else {
      ++i;
    }
    if (Fold(c) >= lo && Fold(c) <= hi) hit = true;
  }
  if (i >= pat.size()) { *valid = false; return false; }
  *end = i + 1;
  return hit != negate;
}

bool Validate(const std::string& pat) {
  for (size_t i = 0; i < pat.size(); ++i) {
    if (pat[i] != '[') continue;
    bool valid = true;
    size_t end = 0;
    SetMatches(pat, i, 'a', &end, &valid);
    if (!valid) return false;
    i = end - 1;
  }
  return true;
}
}  // namespace

bool WildcardMatch(const std::string& text, const std::string& pattern, bool* valid) {
  *valid = Validate(pattern);
  if (!*valid) return false;
  // Iterative matcher with one backtrack point for the last "*".
  size_t t = 0, p = 0, star = std::string::npos, star_t = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_t = t;
      continue;
    }
    if (p < pattern.size()) {
      bool ok = false;
      size_t next = p + 1;
      if (pattern[p] == '?') ok = true;
      else if (pattern[p] == '[') { bool v = true; ok = SetMatches(pattern, p, text[t], &next, &v); }
      else ok = Fold(pattern[p]) == Fold(text[t]);
      if (ok) { ++t; p = next; continue; }
    }
    if (star == std::string::npos) return false;
    p = star + 1;
    t = ++star_t;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool MatchesPatternFile(const std::string& address, const std::string& path) {
  if (address.empty()) return false;
  TIniFile file;  // used as a bounded line reader
  file.Load(path);
  const std::string a = Lower(address);
  for (const auto& raw : file.Lines()) {
    const std::string line = Lower(raw);
    if (line.empty()) continue;
    bool valid = true;
    if (WildcardMatch(a, line, &valid) && valid) return true;
  }
  return false;
}

}  // namespace chaffguard
