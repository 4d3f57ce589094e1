// Token extraction: see baytokens.h.
#include "baytokens.h"

#include <algorithm>

#include "cgtext.h"
#include "mystrlist.h"

namespace chaffguard {

namespace {

std::size_t Positive(int v) { return v > 0 ? static_cast<std::size_t>(v) : 0; }

void RemoveAll(std::string& text, const std::string& what) {
  if (what.empty()) return;
  for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p)) text.erase(p, what.size());
}

}  // namespace

mime::TokenLimits LimitsOf(const Settings& s) {
  mime::TokenLimits l;
  l.max_length = Positive(s.bayMaxLength);
  l.min_token_length = Positive(s.bayMinTokenLength);
  l.max_token_length = Positive(s.bayMaxTokenLength);
  return l;
}

bool IsCustomHeader(std::string_view line, std::string_view custom_headers) {
  const auto colon = line.find(':');
  if (colon == 0 || line.empty()) return false;  // no name to look for
  const std::string name = "," + Upper(line.substr(0, colon)) + ",";
  const std::string list = "," + Upper(custom_headers) + ",";
  return list.find(name) != std::string::npos;
}

std::string DecodedFilteredText(const std::vector<std::string>& lines, const Settings& s,
                                const MimeWalkOptions& options, mime::TmwQuickAndDirtyHashStrings& list) {
  std::vector<std::string> copy = lines;
  DecodeMessage(copy, list, options);
  std::string text;
  for (const auto& l : FilterHeaders(copy, s)) (text += l) += "\r\n";
  return text;
}

std::vector<std::string> FilterHeaders(const std::vector<std::string>& lines, const Settings& s) {
  std::string out;
  const std::string tag = s.Subject.empty() ? std::string() : "[" + s.Subject + "]";
  std::size_t i = 0;
  while (i < lines.size() && !lines[i].empty()) {
    std::string h = UnfoldHeader(lines, i);
    const std::string up = Upper(std::string_view(h).substr(0, 7));
    const bool subject = up.starts_with("SUBJECT");
    if (subject || up.starts_with("FROM") || up.starts_with("SENDER") ||
        IsCustomHeader(h, s.CustomHeaders)) {
      if (subject) RemoveAll(h, tag);
      out += h;
      out += "\r\n";
    }
  }
  out += "\r\n";
  // The body: after the first blank line of the whole text.
  std::string whole;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k) whole += "\r\n";
    whole += lines[k];
  }
  const auto blank = whole.find("\r\n\r\n");
  if (blank != std::string::npos)
    out.append(std::string_view(whole).substr(blank + 4, Positive(s.bayMaxLength)));
  TMyStringList result;
  result.SetText(out);
  return std::move(result.lines);
}

void TokenizeMessage(std::string_view text, const Settings& s, mime::TmwQuickAndDirtyHashStrings& list) {
  const mime::TokenLimits limits = LimitsOf(s);
  TMyStringList l;
  l.SetText(text);
  std::size_t i = 0;
  for (; i < l.lines.size(); ++i) {
    const std::string& line = l.lines[i];
    const std::string up = Upper(std::string_view(line).substr(0, 7));
    std::string_view prefix;
    if (up.starts_with("SUBJECT")) prefix = "su*";
    if (up.starts_with("FROM")) prefix = "fr*";
    if (up.starts_with("SENDER")) prefix = "se*";
    if (!line.empty() && IsCustomHeader(line, s.CustomHeaders)) prefix = "ch*";
    if (!prefix.empty()) {
      const auto colon = line.find(':');
      const std::string_view value =
          colon == std::string::npos ? std::string_view() : std::string_view(line).substr(colon + 1);
      mime::TokenizeText(value, prefix, mime::TokenMode::kCounting, limits, list);
    }
    if (line.empty()) break;
  }
  std::string body;
  for (std::size_t k = i; k < l.lines.size(); ++k) {
    if (k > i) body += "\r\n";
    body += l.lines[k];
  }
  mime::TokenizeText(body, "", mime::TokenMode::kCounting, limits, list);
  const std::string stripped = mime::StripHtmlTags(mime::RemoveHtmlComments(body));
  mime::TokenizeText(stripped, "", mime::TokenMode::kNoIncrement, limits, list);
}

}  // namespace chaffguard
