// Text helpers of the plug-in: 8-bit trimming and case folding, the comma-list
// split used by the settings, the plain form of an address and path joining.
//
//   Trim/TrimLeft/TrimRight  remove characters <= ' ' (as the line model does);
//                            TrimView the same as a view into its argument
//   Lower/Upper              ASCII case folding (texts are 8-bit; bytes >= 0x80 kept)
//   StartsWithNoCase         prefix test ignoring ASCII case
//   SplitCommaText           commas, spaces and control characters separate items;
//                            "quoted items" may hold them, "" inside stands for "
//   PlainAddress             text between the first "<" and the next ">", trimmed
//   PathSep/JoinPath/WithTrailingSep  the platform's directory separator
//
// Nothing here allocates more than its input needs; no function throws except
// for std::bad_alloc.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace chaffguard {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

std::string Trim(std::string_view s);
std::string_view TrimView(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::string Lower(std::string_view s);
std::string Upper(std::string_view s);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Splits `text` like a comma text list: see the module comment.
std::vector<std::string> SplitCommaText(std::string_view text);

// The plain form of an address text: the part between the first "<" and the
// following ">" (everything after "<" when there is no ">"; the whole text
// when there is no "<"), trimmed.
std::string PlainAddress(std::string_view text);

// `dir` with exactly one trailing separator (either slash kind counts as one);
// empty stays empty.
std::string WithTrailingSep(std::string_view dir);
std::string JoinPath(std::string_view dir, std::string_view name);

// Whole-number parse in the manner of a settings reader: optional sign, decimal
// digits, or "$"/"0x" followed by hex digits; anything else gives `fallback`.
long long ParseInt(std::string_view text, long long fallback);

}  // namespace chaffguard
