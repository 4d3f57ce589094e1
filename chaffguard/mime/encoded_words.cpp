#include "encoded_words.h"

#include "transfer_codecs.h"

namespace chaffguard::mime {
namespace {

struct EncodedWord {
  std::size_t end = 0;  // index just after "?="
  std::string decoded;
};

// Parses an encoded word starting at text[pos] ("=?"); false when it is not one.
bool ParseEncodedWord(std::string_view text, std::size_t pos, std::string_view target,
                      ConverterChoice choice, EncodedWord& word) {
  if (text.substr(pos, 2) != "=?") return false;
  const std::size_t q1 = text.find('?', pos + 2);
  if (q1 == std::string_view::npos || q1 == pos + 2) return false;
  if (q1 + 2 >= text.size() || text[q1 + 2] != '?') return false;
  const char encoding = text[q1 + 1];
  const std::size_t payload_start = q1 + 3;
  const std::size_t close = text.find("?=", payload_start);
  if (close == std::string_view::npos) return false;
  std::string_view charset = text.substr(pos + 2, q1 - pos - 2);
  const std::string_view payload = text.substr(payload_start, close - payload_start);
  for (char c : charset) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return false;
  }
  for (char c : payload) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return false;
  }
  charset = charset.substr(0, charset.find('*'));
  std::string raw;
  if (encoding == 'B' || encoding == 'b') {
    raw = DecodeBase64(payload);
  } else if (encoding == 'Q' || encoding == 'q') {
    std::string qp(payload);
    for (char& c : qp) {
      if (c == '_') c = ' ';
    }
    raw = DecodeQuotedPrintable(qp);
  } else {
    return false;
  }
  word.end = close + 2;
  word.decoded = ConvertCharset(raw, charset, target, choice);
  return true;
}

}  // namespace

std::string DecodeEncodedWords(std::string_view text, std::string_view target_charset,
                               ConverterChoice choice) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  std::size_t after_last_word = std::string_view::npos;  // end of the previous encoded word
  while (pos < text.size()) {
    const std::size_t start = text.find("=?", pos);
    if (start == std::string_view::npos) break;
    EncodedWord word;
    if (!ParseEncodedWord(text, start, target_charset, choice, word)) {
      out.append(text.substr(pos, start + 2 - pos));
      pos = start + 2;
      after_last_word = std::string_view::npos;
      continue;
    }
    const std::string_view between = text.substr(pos, start - pos);
    const bool only_blanks = between.find_first_not_of(" \t\r\n") == std::string_view::npos;
    if (!(after_last_word == pos && only_blanks)) out.append(between);
    out += word.decoded;
    pos = word.end;
    after_last_word = pos;
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace chaffguard::mime
