// ini.h - a byte-preserving reader and writer of ini-format text.
//
// IniText holds the file as its lines, each with its own line ending, so that
// Text() gives back the input byte for byte until something is changed.
//   Get(section, key)      value of the first matching key in the first
//                          matching section (names compared without regard
//                          to case, blanks around key and value trimmed);
//                          nullopt when either is missing.
//   Set(section, key, v)   replaces the value of an existing key in place
//                          (the line is untouched when the value is the same);
//                          a new key goes after the last non-blank line of its
//                          section; a new section goes to the end of the text.
// Lines that are neither a section header nor key=value (comments, blanks,
// junk) are kept as they stand. New lines use the text's first line ending,
// or "\r\n" when it has none. Limits: none beyond memory; keys before the
// first section header belong to the unnamed section "".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace control {

class IniText {
 public:
  IniText() = default;
  explicit IniText(std::string_view bytes);

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  void Set(std::string_view section, std::string_view key, std::string_view value);
  std::string Text() const;

 private:
  struct Line {
    std::string body;  // without line ending
    std::string eol;   // "\r\n", "\n", "\r" or "" (last line)
  };
  // Index range [first, end) of the lines of a section, header excluded.
  struct Range {
    std::size_t header;
    std::size_t first;
    std::size_t end;
  };
  std::optional<Range> FindSection(std::string_view section) const;
  std::optional<std::size_t> FindKey(const Range& r, std::string_view key) const;
  std::string NewEol() const;

  std::vector<Line> lines_;
};

// Case-insensitive comparison of ASCII letters; other bytes compare as-is.
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace control
