#include "mystrlist.h"

#include <stdexcept>

#include "cgtext.h"
#include "wholefile.h"

namespace chaffguard {

void TMyStringList::SetText(std::string_view text) {
  lines.clear();
  size_t start = 0, i = 0;
  const size_t n = text.size();
  while (i < n) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (c == '\r') {
        if (i + 1 < n && text[i + 1] == '\n') i += 2;
        else if (i + 2 < n && text[i + 1] == '\r' && text[i + 2] == '\n') i += 3;
        else i += 1;
      } else {
        i += 1;
      }
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.emplace_back(text.substr(start));
}

std::string TMyStringList::Text() const {
  std::string out;
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  out.reserve(total);
  for (const auto& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

void TMyStringList::LoadFromFile(const std::string& path) {
  std::string data;
  switch (ReadWholeFile(path, data)) {
    case FileRead::kCannotOpen: throw std::runtime_error("Cannot open file \"" + path + "\"");
    case FileRead::kFailed: throw std::runtime_error("Cannot read file \"" + path + "\"");
    case FileRead::kOk: break;
  }
  SetText(data);
}

void TMyStringList::SaveToFile(const std::string& path) const {
  if (!OverwriteFile(path, Text())) throw std::runtime_error("Cannot write file \"" + path + "\"");
}

namespace {
bool IsContinuation(const std::string& line) {
  if (line.empty()) return false;
  char c = line[0] == '\t' ? ' ' : line[0];
  return c == ' ' || c == '"' || c == ':' || c == '=';
}
}  // namespace

std::string UnfoldHeader(const std::vector<std::string>& lines, size_t& index) {
  std::string result = lines[index];
  ++index;
  // The last line of the list never counts as a continuation.
  while (index + 1 < lines.size() && IsContinuation(lines[index])) {
    std::string cont = lines[index];
    for (char& c : cont)
      if (c == '\t') c = ' ';
    result += ' ';
    result += Trim(cont);
    ++index;
  }
  return TrimRight(result);
}

}  // namespace chaffguard
