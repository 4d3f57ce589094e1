// Wildcard pattern files of the data directory (cgexclde.txt, cgwhite.txt).
//
//   WildcardMatch(text, pattern, &valid)  whole-text match: "*" any run, "?" one
//       character, "[set]" one character of the set (ranges a-z, a leading "!"
//       negates), letters compared without case; `valid` is false for a
//       pattern with an unclosed set
//   MatchesPatternFile(address, path)  true when a non-empty, valid line of the
//       file matches the lower-cased address; a missing file or empty address
//       matches nothing. At most TIniFile::kMaxFileBytes of the file are read.
#pragma once

#include <string>

namespace chaffguard {

inline constexpr char kExcludeFile[] = "cgexclde.txt";
inline constexpr char kWhiteFile[] = "cgwhite.txt";

bool WildcardMatch(const std::string& text, const std::string& pattern, bool* valid);
bool MatchesPatternFile(const std::string& address, const std::string& path);

}  // namespace chaffguard
