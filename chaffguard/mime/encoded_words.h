// RFC 2047 encoded words in header values (used for attachment file names).
//
// DecodeEncodedWords() replaces every well-formed encoded word
// "=?charset?B?text?=" or "=?charset?Q?text?=" (encoding letter in either case,
// charset optionally followed by "*language") by its decoded text converted from
// its charset to target_charset (charset_convert.h). White space between two
// adjacent encoded words is removed. Anything that is not a well-formed encoded
// word is copied unchanged, so the function never fails. An encoded word is at
// most 75 characters by the standard; longer ones are accepted as well.
#pragma once

#include <string>
#include <string_view>

#include "charset_convert.h"

namespace chaffguard::mime {

std::string DecodeEncodedWords(std::string_view text, std::string_view target_charset,
                               ConverterChoice choice = ConverterChoice::kLibraryFirst);

}  // namespace chaffguard::mime
