#include "inifile.h"

#include "cgtext.h"
#include "mystrlist.h"
#include "wholefile.h"

namespace chaffguard {

namespace {
bool SectionName(std::string_view line, std::string_view* name) {
  const std::string_view t = TrimView(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const size_t close = t.find(']');
  if (close == std::string_view::npos) return false;
  *name = TrimView(t.substr(1, close - 1));
  return true;
}

bool KeyOf(std::string_view line, std::string_view* key, std::string_view* value) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  const std::string_view k = TrimView(line.substr(0, eq));
  if (k.empty() || k[0] == ';') return false;
  *key = k;
  if (value) *value = TrimView(line.substr(eq + 1));
  return true;
}
}  // namespace

void TIniFile::Load(const std::string& path) {
  lines_.clear();
  std::string data;
  if (ReadWholeFile(path, data, kMaxFileBytes) == FileRead::kCannotOpen) return;
  TMyStringList list;
  list.SetText(data);
  lines_ = std::move(list.lines);
}

void TIniFile::Save(const std::string& path) const {
  TMyStringList list;
  list.lines = lines_;
  list.SaveToFile(path);
}

long TIniFile::Find(std::string_view section, std::string_view key, long* section_end) const {
  bool in = false;
  long found = -1;
  *section_end = -1;
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name, k;
    if (SectionName(lines_[i], &name)) {
      if (in) return found;  // only the first section of that name counts
      in = EqualsNoCase(name, section);
      if (in) *section_end = static_cast<long>(i) + 1;
      continue;
    }
    if (!in) continue;
    if (!TrimView(lines_[i]).empty()) *section_end = static_cast<long>(i) + 1;
    if (found < 0 && KeyOf(lines_[i], &k, nullptr) && EqualsNoCase(k, key))
      found = static_cast<long>(i);
  }
  return found;
}

bool TIniFile::HasKey(std::string_view section, std::string_view key) const {
  long end;
  return Find(section, key, &end) >= 0;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
  long end;
  long i = Find(section, key, &end);
  if (i < 0) return std::string(def);
  std::string_view k, v;
  KeyOf(lines_[static_cast<size_t>(i)], &k, &v);
  return std::string(v);
}

long long TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                long long def) const {
  long end;
  const long i = Find(section, key, &end);
  if (i < 0) return def;
  std::string_view k, v;
  KeyOf(lines_[static_cast<size_t>(i)], &k, &v);
  return ParseInt(v, def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) {
  long end;
  long i = Find(section, key, &end);
  std::string line = std::string(key) + "=" + std::string(value);
  // A line break inside a value would create a new key: cut it there.
  size_t brk = line.find_first_of("\r\n");
  if (brk != std::string::npos) line.resize(brk);
  if (i >= 0) {
    lines_[static_cast<size_t>(i)] = line;
  } else if (end >= 0) {
    lines_.insert(lines_.begin() + end, line);
  } else {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(line);
  }
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, long long value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  long end;
  long i = Find(section, key, &end);
  if (i >= 0) lines_.erase(lines_.begin() + i);
}

}  // namespace chaffguard
