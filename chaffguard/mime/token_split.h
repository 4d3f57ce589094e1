// Token splitting and HTML stripping of message text, independent of the
// settings (every limit is a parameter).
//
// Token alphabet: "!", "$", "'", "-", digits, ASCII letters and every byte from
// 128 to 255. Every other byte separates tokens, except that "," and "." stay
// inside a token when the token so far is not empty, the separator is neither
// the first nor the last byte of the text, and the bytes directly before and
// after it are digits (1,000 and 3.14 and dotted IPv4 addresses stay whole).
//
// Functions:
//   AddToken        key = prefix + token; a new key is added with count 1, an
//                   existing one gets count + 1 in counting mode and is left
//                   alone in no-increment mode.
//   TokenizeText    cuts the text to its first max_length bytes, splits it and
//                   adds every token whose length lies in
//                   [min_token_length, max_token_length] (longer ones are
//                   dropped, not cut).
//   RemoveHtmlComments  deletes every "<!--" ... "-->" ("-->" looked for from
//                   the fourth byte after "<!--" on); an unclosed comment runs
//                   to the end of the text.
//   StripHtmlTags   keeps the text outside tags; a tag whose name (up to the
//                   first space, upper-cased, one leading "/" removed) is one of
//                   the block tags is replaced by one space, any other tag by
//                   nothing.
// No diagnostics; any input is accepted.
#pragma once

#include <string>
#include <string_view>

#include "mwQuickAndDirtyHashStrings.h"

namespace chaffguard::mime {

enum class TokenMode { kCounting, kNoIncrement };

struct TokenLimits {
  std::size_t max_length = 8192;     // bytes of a text that are tokenized
  std::size_t min_token_length = 3;  // shorter tokens are skipped
  std::size_t max_token_length = 20; // longer tokens are skipped
};

// Block tags of StripHtmlTags, comma-separated.
inline constexpr std::string_view kHtmlBlockTags =
    "P,BR,LI,H1,H2,H3,H4,H5,H6,HR,TITLE,TABLE,CENTER,DD,DT,IFRAME,IMG,INPUT,SELECT,TD,"
    "TEXTAREA,TH,DIV,BLOCKQUOTE,PRE,DIR,DL,FIELDSET,LEGEND,FORM,MENU,OL,UL";

bool IsTokenByte(unsigned char c);

void AddToken(std::string_view token, std::string_view prefix, TokenMode mode,
              TmwQuickAndDirtyHashStrings& list);

void TokenizeText(std::string_view text, std::string_view prefix, TokenMode mode,
                  const TokenLimits& limits, TmwQuickAndDirtyHashStrings& list);

std::string RemoveHtmlComments(std::string_view text);
std::string StripHtmlTags(std::string_view text);

}  // namespace chaffguard::mime
