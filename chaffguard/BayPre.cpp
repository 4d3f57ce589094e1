// The MIME part model: see BayPre.h.
#include "BayPre.h"

#include <utility>

#include "cgtext.h"
#include "charset_convert.h"
#include "encoded_words.h"
#include "mystrlist.h"
#include "tokenizer_plugins.h"
#include "transfer_codecs.h"

namespace chaffguard {

namespace {

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string out;
  std::size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  out.reserve(total);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += "\r\n";
    out += lines[i];
  }
  return out;
}

std::vector<std::string> SplitLines(const std::string& data) {
  TMyStringList l;
  l.SetText(data);
  return std::move(l.lines);
}

std::string AfterColon(const std::string& header) {
  const auto p = header.find(':');
  return p == std::string::npos ? std::string() : Trim(std::string_view(header).substr(p + 1));
}

std::string BeforeSemicolon(const std::string& value) {
  return Trim(std::string_view(value).substr(0, value.find(';')));
}

std::string StripDirectory(const std::string& name) {
  const auto p = name.find_last_of("/\\");
  return p == std::string::npos ? name : name.substr(p + 1);
}

}  // namespace

std::string HeaderParameter(std::string_view value, std::string_view name) {
  // Split at ";" outside double quotes.
  std::size_t i = 0;
  while (i <= value.size()) {
    std::size_t j = i;
    bool quoted = false;
    while (j < value.size() && (quoted || value[j] != ';')) {
      if (value[j] == '"') quoted = !quoted;
      ++j;
    }
    const std::string item = Trim(value.substr(i, j - i));
    const auto eq = item.find('=');
    if (eq != std::string::npos && EqualsNoCase(Trim(std::string_view(item).substr(0, eq)), name)) {
      std::string v = Trim(std::string_view(item).substr(eq + 1));
      if (!v.empty() && v.front() == '"') v.erase(0, 1);
      if (!v.empty() && v.back() == '"') v.pop_back();
      return v;
    }
    i = j + 1;
  }
  return {};
}

std::vector<std::string> FoldHeaderLine(const std::string& line, std::size_t width) {
  std::vector<std::string> out;
  std::string rest = line;
  bool continuation = false;
  while (rest.size() > width) {
    // The last separator that ends before the width, "; " before ", " before " ".
    std::size_t cut = std::string::npos, skip = 0;
    const std::size_t from = continuation ? 1 : 0;  // never at a continuation's own space
    for (std::string_view sep : {std::string_view("; "), std::string_view(", "), std::string_view(" ")}) {
      if (width < sep.size()) continue;
      const std::size_t p = rest.rfind(sep, width - sep.size());
      if (p != std::string::npos && p > from) {
        cut = p + sep.size() - 1;  // keep the punctuation, drop the space
        skip = 1;
        break;
      }
    }
    if (cut == std::string::npos) break;
    out.push_back(rest.substr(0, cut));
    rest = " " + TrimLeft(std::string_view(rest).substr(cut + skip));
    continuation = true;
  }
  out.push_back(rest);
  return out;
}

void TMimePart::Reset() {
  headers.clear();
  primary_type = "TEXT";
  secondary_type = "PLAIN";
  primary = MimePrimary::kText;
  encoding_text = "7BIT";
  encoding = MimeEncoding::k7Bit;
  charset = "US-ASCII";
  file_name.clear();
  boundary.clear();
  disposition.clear();
  content_id.clear();
  description.clear();
  preamble.clear();
  epilogue.clear();
  body.clear();
  data.clear();
  children.clear();
  too_deep = false;
}

void TMimePart::ReadHeaders(std::size_t& index) {
  while (index < lines.size() && !lines[index].empty()) headers.push_back(UnfoldHeader(lines, index));
  if (index < lines.size()) ++index;  // the empty line

  std::string type_value, disposition_value;
  for (const auto& h : headers) {
    const std::string up = Upper(h.substr(0, 27));
    if (up.starts_with("CONTENT-TYPE:")) {
      type_value = AfterColon(h);
    } else if (up.starts_with("CONTENT-TRANSFER-ENCODING:")) {
      encoding_text = Upper(AfterColon(h));
    } else if (up.starts_with("CONTENT-DESCRIPTION:")) {
      description = AfterColon(h);
    } else if (up.starts_with("CONTENT-DISPOSITION:")) {
      disposition_value = AfterColon(h);
      disposition = BeforeSemicolon(disposition_value);
    } else if (up.starts_with("CONTENT-ID:")) {
      content_id = AfterColon(h);
    }
  }
  if (!type_value.empty()) {
    const std::string type = Upper(BeforeSemicolon(type_value));
    const auto slash = type.find('/');
    primary_type = Trim(std::string_view(type).substr(0, slash));
    secondary_type = slash == std::string::npos ? std::string() : Trim(std::string_view(type).substr(slash + 1));
  }
  if (primary_type.starts_with("TEXT")) primary = MimePrimary::kText;
  else if (primary_type.starts_with("MULTIPART")) primary = MimePrimary::kMultipart;
  else if (primary_type.starts_with("MESSAGE")) primary = MimePrimary::kMessage;
  else primary = MimePrimary::kBinary;

  if (primary == MimePrimary::kText) {
    const std::string cs = Upper(HeaderParameter(type_value, "charset"));
    if (!cs.empty()) charset = cs;
  }
  if (primary == MimePrimary::kMultipart) boundary = HeaderParameter(type_value, "Boundary");
  else file_name = HeaderParameter(type_value, "name");
  if (file_name.empty() && !disposition_value.empty())
    file_name = HeaderParameter(disposition_value, "FileName");
  if (!file_name.empty()) file_name = StripDirectory(mime::DecodeEncodedWords(file_name, "UTF-8"));

  if (encoding_text.starts_with("8BIT")) encoding = MimeEncoding::k8Bit;
  else if (encoding_text.starts_with("QUOTED-PRINTABLE")) encoding = MimeEncoding::kQuotedPrintable;
  else if (encoding_text.starts_with("BASE64")) encoding = MimeEncoding::kBase64;
  else if (encoding_text.starts_with("X-UU")) encoding = MimeEncoding::kUu;
  else if (encoding_text.starts_with("X-XX")) encoding = MimeEncoding::kXx;
  else encoding = MimeEncoding::k7Bit;
}

void TMimePart::TakeApart() {
  Reset();
  std::size_t i = 0;
  ReadHeaders(i);
  const bool container = primary == MimePrimary::kMultipart || primary == MimePrimary::kMessage;
  if (container && level >= kMaxMimeNesting) {
    too_deep = true;
    body.assign(lines.begin() + static_cast<std::ptrdiff_t>(i), lines.end());
  } else if (primary == MimePrimary::kMultipart) {
    const std::string delim = "--" + boundary;
    const std::string close = delim + "--";
    while (i < lines.size() && TrimRight(lines[i]) != delim) preamble.push_back(lines[i++]);
    bool closed = false;
    while (i < lines.size() && !closed) {
      ++i;  // the delimiter line
      auto child = std::make_unique<TMimePart>();
      child->level = level + 1;
      while (i < lines.size() && !lines[i].starts_with(delim)) child->lines.push_back(std::move(lines[i++]));
      if (i < lines.size() && TrimRight(lines[i]) == close) {
        closed = true;
        ++i;
      }
      child->TakeApart();
      children.push_back(std::move(child));
    }
    for (; i < lines.size(); ++i) epilogue.push_back(std::move(lines[i]));
  } else if (primary == MimePrimary::kMessage) {
    while (i < lines.size() && lines[i].empty()) ++i;
    auto child = std::make_unique<TMimePart>();
    child->level = level + 1;
    for (; i < lines.size(); ++i) child->lines.push_back(TrimRight(lines[i]));
    child->TakeApart();
    children.push_back(std::move(child));
  } else {
    body.assign(std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(i)),
                std::make_move_iterator(lines.end()));
  }
  lines.clear();
  lines.shrink_to_fit();
}

void TMimePart::DecodePart() {
  const std::string text = JoinCrLf(body);
  switch (encoding) {
    case MimeEncoding::kQuotedPrintable: data = mime::DecodeQuotedPrintable(text); break;
    case MimeEncoding::kBase64: data = mime::DecodeBase64(text); break;
    case MimeEncoding::kUu: data = mime::DecodeUuencode(text); break;
    case MimeEncoding::kXx: data = mime::DecodeXxencode(text); break;
    default: data = text; break;
  }
  if (primary != MimePrimary::kText || !convert_charset) return;
  bool convert = true;
  if (secondary_type == "HTML" && !forced_html) {
    std::string up = Upper(data);
    const auto head = up.find("<HEAD>");
    std::string head_text;
    if (head != std::string::npos) {
      const auto end = up.find("</HEAD>", head + 6);
      head_text = up.substr(head + 6, end == std::string::npos ? std::string::npos : end - head - 6);
    }
    std::erase_if(head_text, [](char c) { return c == '"' || c == '\'' || c == ' '; });
    convert = head_text.find("HTTP-EQUIV=CONTENT-TYPE") == std::string::npos;
  }
  if (convert) data = mime::ConvertCharset(data, charset, target_charset);
}

void TMimePart::EncodePart() {
  if (primary == MimePrimary::kMultipart || primary == MimePrimary::kMessage) {
    body = SplitLines(data);
    return;
  }
  std::string bytes = data;
  if (primary == MimePrimary::kText && convert_charset && encoding != MimeEncoding::k7Bit)
    bytes = mime::ConvertCharset(bytes, target_charset, charset);
  if (encoding == MimeEncoding::kUu || encoding == MimeEncoding::kXx) {
    encoding = MimeEncoding::kBase64;
    encoding_text = "BASE64";
  }
  switch (encoding) {
    case MimeEncoding::kBase64: body = mime::EncodeBase64Lines(bytes); break;
    case MimeEncoding::kQuotedPrintable: body = mime::EncodeQuotedPrintableLines(bytes); break;
    default:
      if (primary == MimePrimary::kBinary) body.assign(1, bytes);
      else body = SplitLines(bytes);
      if (body.empty()) body.emplace_back();
      break;
  }
}

void TMimePart::Walk(const MimeWalkOptions& options, mime::TmwQuickAndDirtyHashStrings& tokens) {
  if (primary == MimePrimary::kMultipart) {
    preamble.clear();
    epilogue.clear();
  }
  if (!too_deep) {
    if (options.plugins && body.size() < kMaxOfferedLines) {
      const auto dot = file_name.rfind('.');
      options.plugins(primary_type + "/" + secondary_type,
                      dot == std::string::npos ? std::string() : file_name.substr(dot), *this, tokens);
    }
    if (primary == MimePrimary::kBinary) {
      data.clear();
      if (options.image_parser && options.image_tokens && body.size() < kMaxOfferedLines) {
        DecodePart();
        options.image_tokens(data, file_name, tokens);
      }
      data.clear();
      EncodePart();
    } else if (primary == MimePrimary::kText) {
      target_charset = "UTF-8";
      forced_html = true;
      DecodePart();
      convert_charset = false;
      encoding = MimeEncoding::k8Bit;
      encoding_text = "8BIT";
      EncodePart();
      data.clear();
    }
  }
  for (auto& c : children) c->Walk(options, tokens);
}

void TMimePart::PutTogetherInto(std::vector<std::string>& out) const {
  for (const auto& h : headers)
    for (auto& l : FoldHeaderLine(h, max_line_length)) out.push_back(std::move(l));
  out.emplace_back();
  if (too_deep) {
    out.insert(out.end(), body.begin(), body.end());
  } else if (primary == MimePrimary::kMultipart) {
    out.insert(out.end(), preamble.begin(), preamble.end());
    for (const auto& c : children) {
      out.push_back("--" + boundary);
      c->PutTogetherInto(out);
    }
    out.push_back("--" + boundary + "--");
    out.insert(out.end(), epilogue.begin(), epilogue.end());
  } else if (primary == MimePrimary::kMessage) {
    for (const auto& c : children) c->PutTogetherInto(out);
  } else {
    out.insert(out.end(), body.begin(), body.end());
  }
}

std::vector<std::string> TMimePart::PutTogether() const {
  std::vector<std::string> out;
  PutTogetherInto(out);
  return out;
}

void DecodeMessage(std::vector<std::string>& lines, mime::TmwQuickAndDirtyHashStrings& tokens,
                   const MimeWalkOptions& options) {
  const TokenizerPlugins plugins = TokenizerPlugins::Load();
  const MimeWalkOptions* walk = &options;
  MimeWalkOptions with_plugins;
  if (!options.plugins && !plugins.Empty()) {
    with_plugins = options;
    with_plugins.plugins = [&plugins](const std::string& type, const std::string& extension, const TMimePart& part,
                                      mime::TmwQuickAndDirtyHashStrings& list) {
      plugins.Offer(type, extension, part, list);
    };
    walk = &with_plugins;
  }
  TMimePart root;
  root.lines = std::move(lines);
  root.TakeApart();
  root.Walk(*walk, tokens);
  lines = root.PutTogether();
}

}  // namespace chaffguard
