// Unicode encoding forms: decoding bytes to code points and encoding back.
//
// Purpose: the built-in half of the charset converter for the Unicode
// charsets: UTF-8, UTF-7 (RFC 2152), modified UTF-7 (RFC 3501 folder names),
// UCS-2, UCS-4, UTF-16 and UTF-32 in their byte orders.
//
// Functions: DecodeUnicode(), EncodeUnicode().
// Byte orders: the forms without an explicit order (UCS-2, UCS-4, UTF-16,
// UTF-32) honour a leading byte-order mark when decoding and default to big
// endian; UTF-16 and UTF-32 write a big-endian byte-order mark when encoding,
// UCS-2 and UCS-4 write big endian without one.
// Damaged input: never fails; malformed or truncated sequences, lone surrogates
// and values beyond U+10FFFF are dropped. Encoding drops code points a form
// cannot hold (above U+FFFF for UCS-2, surrogates everywhere).
#pragma once

#include <string>
#include <string_view>

namespace chaffguard::mime {

enum class UnicodeForm {
  kUtf8,
  kUtf7,
  kModifiedUtf7,
  kUcs2,
  kUcs2Be,
  kUcs2Le,
  kUcs4,
  kUcs4Be,
  kUcs4Le,
  kUtf16,
  kUtf16Be,
  kUtf16Le,
  kUtf32,
  kUtf32Be,
  kUtf32Le,
  kC99,   // ASCII with "\uXXXX" and "\UXXXXXXXX" escapes (bytes below 0xA0 direct)
  kJava,  // ASCII with "\uXXXX" escapes, surrogate pairs beyond U+FFFF
};

std::u32string DecodeUnicode(UnicodeForm form, std::string_view bytes);
std::string EncodeUnicode(UnicodeForm form, std::u32string_view code_points);

}  // namespace chaffguard::mime
