// text.h - small text helpers of the control panel (all texts UTF-8).
//
//   RemoveWhiteSpace(s)   s without blanks, controls 9..13, U+0085, U+00A0 and
//                         the Unicode space/line/paragraph separators. Bytes
//                         that are not valid UTF-8 are kept as they are.
//   FormatPortList(s)     with a comma: the items (split at commas and blanks)
//                         sorted by numeric value, duplicates dropped, joined
//                         with ", "; an item that is not a number sorts as
//                         equal to any other (a stable sort keeps its place).
//                         Without a comma: s unchanged.
//   IPAddrToString(a)     the four bytes of a, lowest first, dotted decimal.
//   GetLanguage()         always "en".
//   LowerAscii(s), ContainsText(hay, needle)   case-insensitive substring test
//                         (ASCII letters folded).
//   Format(m, {args})     fills "%s" and "%d" of m with the arguments in order;
//                         "%%" gives "%"; missing arguments leave the
//                         placeholder out, surplus ones are ignored.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace control {

std::string RemoveWhiteSpace(std::string_view s);
std::string FormatPortList(std::string_view s);
std::string IPAddrToString(std::uint32_t address);
std::string GetLanguage();
std::string LowerAscii(std::string_view s);
bool ContainsText(std::string_view hay, std::string_view needle);

using FormatArg = std::variant<std::string, long long>;
std::string Format(std::string_view m, std::initializer_list<FormatArg> args);

}  // namespace control
