// Built-in charset conversion, used when no iconv library is available (and
// callable on its own).
//
// Purpose: decodes text in a resolved charset to Unicode code points and
// encodes code points into a charset, with
//   - one table of the upper 128 code points for each single-byte charset of the
//     alias table and for Kamenicky (generated tables, see charset_tables.h);
//   - the Unicode codecs of unicode_codecs.h for UTF-8, UTF-7, modified UTF-7,
//     UCS-2, UCS-4, UTF-16, UTF-32, C99 and JAVA.
//
// Limits: the multi-byte East Asian charsets and CP853 have no
// built-in converter; text declared in them is read as ISO-8859-1 and text for
// them is written as ISO-8859-1. HasBuiltinConverter() tells which is which.
// Diagnostics: none. Unassigned bytes of a single-byte source are dropped; a
// character without a place in a single-byte target becomes "_".
#pragma once

#include <string>
#include <string_view>

#include "charset_names.h"

namespace chaffguard::mime {

// True when the charset has its own built-in table or codec.
bool HasBuiltinConverter(CharsetId id);

// True when the charset is converted by a built-in single-byte table.
bool HasBuiltinSingleByteTable(CharsetId id);

std::u32string BuiltinDecode(CharsetId from, std::string_view text);
std::string BuiltinEncode(CharsetId to, std::u32string_view code_points);

}  // namespace chaffguard::mime
