#include "token_split.h"

namespace chaffguard::mime {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlockTag(std::string_view name) {
  std::size_t pos = 0;
  while (pos <= kHtmlBlockTags.size()) {
    std::size_t end = kHtmlBlockTags.find(',', pos);
    if (end == std::string_view::npos) end = kHtmlBlockTags.size();
    if (kHtmlBlockTags.substr(pos, end - pos) == name) return true;
    pos = end + 1;
  }
  return false;
}

}  // namespace

bool IsTokenByte(unsigned char c) {
  return c == '!' || c == '$' || c == '\'' || c == '-' || (c >= '0' && c <= '9') ||
         (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128;
}

void AddToken(std::string_view token, std::string_view prefix, TokenMode mode,
              TmwQuickAndDirtyHashStrings& list) {
  std::string key;
  key.reserve(prefix.size() + token.size());
  key.append(prefix).append(token);
  list.AddOccurrence(key, mode == TokenMode::kCounting);
}

void TokenizeText(std::string_view text, std::string_view prefix, TokenMode mode,
                  const TokenLimits& limits, TmwQuickAndDirtyHashStrings& list) {
  if (text.size() > limits.max_length) text = text.substr(0, limits.max_length);
  auto emit = [&](std::string_view token) {
    if (token.size() >= limits.min_token_length && token.size() <= limits.max_token_length) {
      AddToken(token, prefix, mode, list);
    }
  };
  std::size_t start = 0;  // start of the current token
  std::size_t length = 0; // its length; tokens are contiguous runs of the text
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsTokenByte(static_cast<unsigned char>(c))) {
      if (length == 0) start = i;
      ++length;
      continue;
    }
    if (length == 0) continue;
    if ((c == ',' || c == '.') && i > 0 && i + 1 < text.size() && IsDigit(text[i - 1]) &&
        IsDigit(text[i + 1])) {
      ++length;
      continue;
    }
    emit(text.substr(start, length));
    length = 0;
  }
  if (length > 0) emit(text.substr(start, length));
}

std::string RemoveHtmlComments(std::string_view text) {
  std::string s(text);
  std::size_t from = 0;
  for (;;) {
    const std::size_t open = s.find("<!--", from);
    if (open == std::string::npos) break;
    const std::size_t close = s.find("-->", open + 4);
    if (close == std::string::npos) {
      s.erase(open);
      break;
    }
    s.erase(open, close + 3 - open);
    // A new "<!--" can only appear across the joint, at most three bytes back.
    from = open >= 3 ? open - 3 : 0;
  }
  return s;
}

std::string StripHtmlTags(std::string_view text) {
  std::size_t lt = text.find('<');
  if (lt == std::string_view::npos) return std::string(text);
  std::string out(text.substr(0, lt));
  std::string_view rest = text.substr(lt + 1);
  while (!rest.empty()) {
    const std::size_t gt = rest.find('>');
    const std::string_view tag = gt == std::string_view::npos ? rest : rest.substr(0, gt);
    const std::string_view remainder =
        gt == std::string_view::npos ? std::string_view() : rest.substr(gt + 1);
    std::string name(tag.substr(0, tag.find(' ')));
    for (char& ch : name) {
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    }
    std::string_view bare = name;
    if (!bare.empty() && bare.front() == '/') bare.remove_prefix(1);
    if (IsBlockTag(bare)) out.push_back(' ');
    const std::size_t next = remainder.find('<');
    if (next == std::string_view::npos) {
      out.append(remainder);
      break;
    }
    out.append(remainder.substr(0, next));
    rest = remainder.substr(next + 1);
  }
  return out;
}

}  // namespace chaffguard::mime
