// Content transfer encodings: quoted-printable, base64, uuencode and xxencode.
//
// Purpose: decodes the body of a MIME part into its bytes and encodes bytes back
// into body lines.
//
// Decoding (any input is accepted; nothing is reported, damaged input decodes to
// whatever the rules below make of it, and the output is never longer than
// the input):
//   DecodeQuotedPrintable  RFC 2045 over the whole text: "=XX" (either case of
//                          hex digit) is a byte, "=" before a line break (spaces
//                          and tabs between allowed) is a soft break, any other
//                          "=" stays as it is; spaces and tabs at the end of a
//                          line are transport padding and dropped.
//   DecodeBase64           RFC 2045 over the whole text: characters outside the
//                          alphabet are skipped; "=" ends a group and drops its
//                          incomplete bits, so concatenated blocks decode too.
//   DecodeUuencode         line by line (lines split at CR LF or LF); lines that
//   DecodeXxencode         start with "BEGIN" or "END" (uuencode also "TABLE"),
//                          in any case, are skipped; each line's first character
//                          gives its byte count, characters outside the alphabet
//                          count as zero, and an incomplete last group gives
//                          only the bytes its characters fill.
// Encoding:
//   EncodeBase64Lines      54 bytes per line (72 characters), padded with "=".
//   EncodeQuotedPrintableLines
//                          lines split at CR LF become hard breaks; every line
//                          is wrapped with "=" soft breaks so no output line is
//                          longer than 76 characters plus the "="; "=", control
//                          bytes other than TAB, bytes from 127 up, and a space or
//                          tab ending a line are written as "=XX". Data that does
//                          not end in CR LF ends with a soft break, so empty data
//                          is the single line "=".
//   EncodeUuencodeLines,   45 bytes per line, without "begin"/"end" lines.
//   EncodeXxencodeLines
// Joining encoded lines with CR LF (and a CR LF after the last) and decoding
// gives the data back, except that a uuencoded or xxencoded data line that
// happens to start with "BEGIN", "END" or "TABLE" is skipped like a frame line
// (for example an xxencoded line of 16 bytes whose data encodes to "ND...").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace chaffguard::mime {

std::string DecodeQuotedPrintable(std::string_view text);
std::string DecodeBase64(std::string_view text);
std::string DecodeUuencode(std::string_view text);
std::string DecodeXxencode(std::string_view text);

std::vector<std::string> EncodeBase64Lines(std::string_view data);
std::vector<std::string> EncodeQuotedPrintableLines(std::string_view data);
std::vector<std::string> EncodeUuencodeLines(std::string_view data);
std::vector<std::string> EncodeXxencodeLines(std::string_view data);

}  // namespace chaffguard::mime
