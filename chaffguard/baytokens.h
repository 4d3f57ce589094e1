// Token extraction of a decoded message with the settings' limits.
//
//   FilterHeaders(lines, s)      keeps the Subject, From, Sender and custom
//                                headers (unfolded; the spam subject tag in
//                                brackets removed from Subject), an empty line
//                                and the body cut to bayMaxLength bytes
//   TokenizeMessage(text, s, l)  header lines with their prefixes ("su*",
//                                "fr*", "se*", "ch*"), the body counted, then
//                                the body without HTML comments and tags added
//                                without counting again
//   IsCustomHeader(line, custom) the header's name, in commas, is listed in
//                                the comma list `custom` (case-insensitive)
//   LimitsOf(s)                  the tokenizer limits of the settings
//   DecodedFilteredText(lines, s, options, l)  decodes a copy of the message
//                                (binary parts may add tokens to `l`), keeps
//                                what FilterHeaders keeps and returns it as
//                                text with CR LF line ends, for TokenizeMessage
// No diagnostics; any text is accepted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "BayPre.h"
#include "mwQuickAndDirtyHashStrings.h"
#include "settings.h"
#include "token_split.h"

namespace chaffguard {

mime::TokenLimits LimitsOf(const Settings& s);
bool IsCustomHeader(std::string_view line, std::string_view custom_headers);
std::vector<std::string> FilterHeaders(const std::vector<std::string>& lines, const Settings& s);
std::string DecodedFilteredText(const std::vector<std::string>& lines, const Settings& s,
                                const MimeWalkOptions& options, mime::TmwQuickAndDirtyHashStrings& list);
void TokenizeMessage(std::string_view text, const Settings& s, mime::TmwQuickAndDirtyHashStrings& list);

}  // namespace chaffguard
