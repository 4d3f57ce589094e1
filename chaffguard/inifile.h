// TIniFile: a small ini-file reader and writer for the settings, flags and
// statistics files.
//
//   Load(path)      reads the file when it exists (a missing file is empty);
//                   lines are "[section]", "key=value", or anything else, which
//                   is kept as it is; at most kMaxFileBytes are read
//   ReadString/ReadInteger/ReadBool   section and key compared without case;
//                   the value is trimmed; a missing key gives the default
//   WriteString/WriteInteger/WriteBool  replace the value in place or append the
//                   key at the end of its section (the section is appended at
//                   the end of the file when missing); booleans as 1 or 0
//   DeleteKey, Save(path)  Save writes every line followed by CR LF and throws
//                   std::runtime_error when the file cannot be written
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace chaffguard {

class TIniFile {
 public:
  static constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;

  void Load(const std::string& path);
  void Save(const std::string& path) const;

  bool HasKey(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  long long ReadInteger(std::string_view section, std::string_view key, long long def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, long long value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void DeleteKey(std::string_view section, std::string_view key);

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  // Index of the key's line, or -1; `section_end` gets the index after the
  // section's last line (or -1 when the section is missing).
  long Find(std::string_view section, std::string_view key, long* section_end) const;
  std::vector<std::string> lines_;
};

}  // namespace chaffguard
