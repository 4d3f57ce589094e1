// Charset conversion of decoded message text.
//
// Purpose: converts text from one declared charset to another, for example a
// text part in ISO-8859-2 to UTF-8, and back.
//
// Both names are resolved by ResolveCharset() (charset_names.h); when they
// resolve to the same charset the text is returned unchanged. Otherwise the text
// goes through UCS-2 big endian in two steps:
//   1. source -> UCS-2BE, by an iconv converter opened as
//      ("UCS-2BE//IGNORE", <source canonical name>);
//   2. UCS-2BE -> target, by an iconv converter opened as
//      (<target canonical name> + "//IGNORE//TRANSLIT", "UCS-2BE").
// A step whose converter cannot be opened (or every step, when no library is
// loaded or kBuiltinOnly is asked for) uses the built-in converter
// (charset_builtin.h). Characters beyond U+FFFF do not survive the UCS-2 step.
//
// Functions: ConvertCharset(), ConvertCharsetWith().
// Diagnostics: none; invalid input is dropped, characters a target lacks are
// transliterated by the library or become "_" in the built-in converter.
#pragma once

#include <string>
#include <string_view>

#include "iconv_library.h"

namespace chaffguard::mime {

enum class ConverterChoice {
  kLibraryFirst,  // the iconv library when it is loaded, built-in tables otherwise
  kBuiltinOnly,   // the built-in tables only
};

std::string ConvertCharset(std::string_view text, std::string_view from_charset,
                           std::string_view to_charset,
                           ConverterChoice choice = ConverterChoice::kLibraryFirst);

// As ConvertCharset(), with an explicit library (nullptr: built-in only).
std::string ConvertCharsetWith(const IconvFunctions* library, std::string_view text,
                               std::string_view from_charset, std::string_view to_charset);

}  // namespace chaffguard::mime
