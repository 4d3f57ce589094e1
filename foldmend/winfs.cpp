#include "winfs.h"

#include <cctype>

#include "fileio.h"
#include "format.h"

namespace foldmend {

static char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool iequals(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool istarts_with(const std::string& s, const std::string& p) {
  return s.size() >= p.size() && iequals(s.substr(0, p.size()), p);
}

// Iterative glob with single backtrack point: linear-ish, never recursive.
static bool glob(const std::string& p, const std::string& n) {
  std::size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || (p[pi] != '*' && lower(p[pi]) == lower(n[ni])))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

bool wild_match(const std::string& pattern, const std::string& name) {
  if (glob(pattern, name)) return true;
  if (pattern.size() >= 3 && pattern.compare(pattern.size() - 3, 3, "*.*") == 0 &&
      name.find('.') == std::string::npos)
    return glob(pattern.substr(0, pattern.size() - 2), name);
  return false;
}

std::vector<std::string> list_matches(const std::string& path) {
  std::vector<std::string> out;
  std::string pattern = name_part(path);
  for (const auto& e : read_directory(dir_part(path)))
    if (!e.is_dir && !e.hidden_or_system && !e.offline && wild_match(pattern, e.name)) out.push_back(e.name);
  return out;
}

bool any_entry_matches(const std::string& path) {
  std::string pattern = name_part(path);
  for (const auto& e : read_directory(dir_part(path)))
    if (!e.hidden_or_system && wild_match(pattern, e.name)) return true;
  return false;
}

std::string temp_dir(const std::function<const char*(const char*)>& getenv_fn) {
  const char* v = nullptr;
  for (const char* name : {"TEMP", "TMP", "BTMP"}) {
    v = getenv_fn(name);
    if (v) break;
  }
  if (!v) return {};
  std::string s(v);
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  s = s.substr(i);
  if (s.size() > 3 && (s.back() == '\\' || s.back() == '/')) s.pop_back();
  return s;
}

std::string temp_path(Context& ctx, const std::function<const char*(const char*)>& getenv_fn) {
  std::string dir = temp_dir(getenv_fn);
  std::string path;
  for (int i = 0; i < 20; ++i) {
    std::string name = ctx.draw8(ctx.other_counter) + ".TMP";
    path = dir.empty() ? name : join_path(dir, name);
    if (!fs_exists(path)) break;
  }
  return path;
}

}  // namespace foldmend
