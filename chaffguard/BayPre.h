// BayPre: the MIME part model that turns a message into its decoded form for
// tokenizing.
//
//   TMimePart             one node of the MIME tree (see the fields below)
//     TakeApart()         parses `lines` into headers, parameters, preamble,
//                         children and epilogue, or body lines
//     Walk(options)       pre-order over the tree: clears preambles and
//                         epilogues, offers parts to tokenizer plug-ins (call
//                         point), empties binary bodies (image call point),
//                         decodes text parts to UTF-8 8bit lines
//     DecodePart()        body lines -> decoded data (transfer encoding, charset)
//     EncodePart()        decoded data -> body lines
//     PutTogether()       the part as lines again, header lines folded at 78
//   DecodeMessage(lines, tokens, options)  the whole run over a message copy:
//                         loads the tokenizer plug-ins, takes the message
//                         apart, walks it, puts it together, unloads them
//   FoldHeaderLine(line, width)  the folding used by PutTogether
//   HeaderParameter(value, name) ";"-list parameter lookup, quotes honoured
//
// Limits: parts nested deeper than kMaxMimeNesting are not taken apart further
// (their remaining lines stay as raw body lines), so the recursion depth of
// every operation is bounded whatever the message holds. Parts with
// kMaxOfferedLines or more body lines are neither offered to plug-ins nor
// handed to the image hook. Decoding never reports errors.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "imagetokens.h"
#include "mwQuickAndDirtyHashStrings.h"

namespace chaffguard {

inline constexpr int kMaxMimeNesting = 64;
inline constexpr std::size_t kMaxOfferedLines = 65536;
inline constexpr std::size_t kMimeLineWidth = 78;

enum class MimePrimary { kText = 0, kMultipart = 1, kMessage = 2, kBinary = 3 };
enum class MimeEncoding { k7Bit = 0, k8Bit = 1, kQuotedPrintable = 2, kBase64 = 3, kUu = 4, kXx = 5 };

struct MimeWalkOptions {
  bool image_parser = true;
  // Called with a binary part's decoded bytes and file name (may add tokens);
  // by default the image library's attribute tokens (imagetokens.h).
  std::function<void(const std::string& data, const std::string& file_name,
                     mime::TmwQuickAndDirtyHashStrings& tokens)>
      image_tokens = image::SystemImageTokens;
  // Tokenizer plug-ins: called with the MIME type, the file name's extension
  // and the part (may add tokens). When empty, DecodeMessage offers the parts
  // to the plug-ins it loads (tokenizer_plugins.h).
  std::function<void(const std::string& mime_type, const std::string& extension,
                     const class TMimePart& part, mime::TmwQuickAndDirtyHashStrings& tokens)>
      plugins;
};

class TMimePart {
 public:
  std::vector<std::string> lines;
  std::vector<std::string> headers;
  std::string primary_type = "TEXT", secondary_type = "PLAIN";
  MimePrimary primary = MimePrimary::kText;
  std::string encoding_text = "7BIT";
  MimeEncoding encoding = MimeEncoding::k7Bit;
  std::string charset = "US-ASCII";
  std::string target_charset = "WINDOWS-1252";  // the usual ANSI code page
  std::string file_name, boundary, disposition, content_id, description;
  std::vector<std::string> preamble, epilogue, body;
  std::string data;
  std::vector<std::unique_ptr<TMimePart>> children;
  int level = 0;
  std::size_t max_line_length = kMimeLineWidth;
  bool convert_charset = true;
  bool forced_html = false;
  bool too_deep = false;  // not taken apart further: `body` holds the raw rest

  void TakeApart();
  void Walk(const MimeWalkOptions& options, mime::TmwQuickAndDirtyHashStrings& tokens);
  void DecodePart();
  void EncodePart();
  std::vector<std::string> PutTogether() const;

 private:
  void Reset();
  void ReadHeaders(std::size_t& index);
  void PutTogetherInto(std::vector<std::string>& out) const;
};

void DecodeMessage(std::vector<std::string>& lines, mime::TmwQuickAndDirtyHashStrings& tokens,
                   const MimeWalkOptions& options);

std::vector<std::string> FoldHeaderLine(const std::string& line, std::size_t width);
std::string HeaderParameter(std::string_view value, std::string_view name);

}  // namespace chaffguard
