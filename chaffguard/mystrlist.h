// TMyStringList: the message as a list of 8-bit lines, the unit every stage of
// the plug-in works on, plus header unfolding over such a list.
//
//   SetText/LoadFromFile  split at CR, LF, CR LF and CR CR LF (each one line end);
//                         a final line without a line end is kept; NUL bytes stay
//                         inside their line
//   Text/SaveToFile       every line followed by CR LF
//   UnfoldHeader          reads the header line at an index with its continuation
//                         lines (see the function comment)
//
// Diagnostics: LoadFromFile and SaveToFile throw std::runtime_error naming the
// file when it cannot be opened, read or written completely.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace chaffguard {

class TMyStringList {
 public:
  std::vector<std::string> lines;

  void SetText(std::string_view text);
  std::string Text() const;
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  size_t Count() const { return lines.size(); }
  const std::string& operator[](size_t i) const { return lines[i]; }
};

// Reads the header line at `index` followed by each directly following
// continuation line (first character, once TABs are spaces, is a space, a
// double quote, ":" or "="); each continuation is trimmed and appended after
// one space. The scan stops at an empty line and never takes the last line of
// the list as a continuation. The result is right-trimmed; `index` is left on
// the first line after it. `index` must be < lines.size().
std::string UnfoldHeader(const std::vector<std::string>& lines, size_t& index);

}  // namespace chaffguard
