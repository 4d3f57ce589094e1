// Windows file rules, written once: names compare without regard to case
// (ASCII letters), "*" matches any run of characters, "?" exactly one, and a
// pattern ending in "*.*" also matches names without a full stop. Only
// ordinary files match: directories and files marked hidden, system or
// offline are skipped (no file carries such marks outside Windows).
//
//   iequals(a, b)              case-insensitive equality
//   wild_match(pattern, name)  the matching rule above
//   list_matches(path)         the names in the directory part of path that
//                              match its name part, in the file system's order
//   any_entry_matches(path)    true if any file or directory (not hidden or
//                              system) matches: used by the lock wait
//   temp_path(ctx, env)        TEMPDIR + separator + 8 drawn characters + ".TMP"
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "context.h"

namespace foldmend {

bool iequals(const std::string& a, const std::string& b);
bool istarts_with(const std::string& s, const std::string& prefix);
bool wild_match(const std::string& pattern, const std::string& name);

struct DirEntry {
  std::string name;
  bool is_dir = false;
  bool hidden_or_system = false;
  bool offline = false;
};
// Every entry of a directory ("" means the current directory), in the file
// system's order, without "." and "..". Platform-specific.
std::vector<DirEntry> read_directory(const std::string& dir);

std::vector<std::string> list_matches(const std::string& path);
bool any_entry_matches(const std::string& path);

// The temporary directory: TEMP, else TMP, else BTMP, leading spaces dropped,
// one trailing backslash or slash removed when longer than 3 characters.
// getenv is injectable for tests.
std::string temp_dir(const std::function<const char*(const char*)>& getenv_fn);
// Up to 20 names are drawn until one names no existing file.
std::string temp_path(Context& ctx, const std::function<const char*(const char*)>& getenv_fn);

}  // namespace foldmend
