#include "ini.h"

#include <cctype>

namespace control {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The name of a section header line, or nullopt for any other line.
std::optional<std::string_view> HeaderName(std::string_view body) {
  std::string_view t = Trim(body);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

// The key of a key=value line, or nullopt.
std::optional<std::string_view> KeyOf(std::string_view body) {
  std::string_view t = Trim(body);
  if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return std::nullopt;
  std::size_t eq = body.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return Trim(body.substr(0, eq));
}

}  // namespace

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

IniText::IniText(std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    Line line;
    if (end == std::string_view::npos) {
      line.body = std::string(bytes.substr(pos));
      pos = bytes.size();
    } else {
      line.body = std::string(bytes.substr(pos, end - pos));
      std::size_t eol_len = (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1;
      line.eol = std::string(bytes.substr(end, eol_len));
      pos = end + eol_len;
    }
    lines_.push_back(std::move(line));
  }
}

std::optional<IniText::Range> IniText::FindSection(std::string_view section) const {
  // The unnamed section: lines before the first header.
  if (section.empty()) {
    std::size_t end = 0;
    while (end < lines_.size() && !HeaderName(lines_[end].body)) ++end;
    return Range{0, 0, end};
  }
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto name = HeaderName(lines_[i].body);
    if (!name || !SameTextAscii(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !HeaderName(lines_[end].body)) ++end;
    return Range{i, i + 1, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> IniText::FindKey(const Range& r, std::string_view key) const {
  for (std::size_t i = r.first; i < r.end; ++i) {
    auto k = KeyOf(lines_[i].body);
    if (k && SameTextAscii(*k, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniText::Get(std::string_view section, std::string_view key) const {
  auto r = FindSection(section);
  if (!r) return std::nullopt;
  auto i = FindKey(*r, key);
  if (!i) return std::nullopt;
  const std::string& body = lines_[*i].body;
  return std::string(Trim(std::string_view(body).substr(body.find('=') + 1)));
}

std::string IniText::NewEol() const {
  for (const Line& l : lines_) {
    if (!l.eol.empty()) return l.eol;
  }
  return "\r\n";
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string eol = NewEol();
  auto r = FindSection(section);
  if (r) {
    if (auto i = FindKey(*r, key)) {
      std::string& body = lines_[*i].body;
      std::size_t eq = body.find('=');
      if (Trim(std::string_view(body).substr(eq + 1)) == value) return;
      body = body.substr(0, eq + 1) + std::string(value);
      return;
    }
    std::size_t at = r->end;
    while (at > r->first && Trim(lines_[at - 1].body).empty()) --at;
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  Line{std::string(key) + "=" + std::string(value), eol});
    return;
  }
  if (!lines_.empty() && lines_.back().eol.empty()) {
    if (lines_.back().body.empty()) {
      lines_.pop_back();
      if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
    } else {
      lines_.back().eol = eol;
    }
  }
  lines_.push_back(Line{"[" + std::string(section) + "]", eol});
  lines_.push_back(Line{std::string(key) + "=" + std::string(value), eol});
}

std::string IniText::Text() const {
  std::string out;
  for (const Line& l : lines_) {
    out += l.body;
    out += l.eol;
  }
  return out;
}

}  // namespace control
