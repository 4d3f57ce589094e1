// Value rules of the message header parser, each over one header value:
//
//   decode_words(text, out)   RFC 2047 encoded words decoded to raw bytes (no
//                             charset conversion); false unless at least one
//                             word decoded and none failed. Encoded text must
//                             be 1..75 characters; result cut at 15000.
//   display_name(text)        the phrase of an address (quoted text, comment,
//                             or the text outside angle brackets), <= 41 chars
//   address_of(text)          the address of the first element, <= 40 chars
//   parse_date(text)          day, month, year, time and zone from the first
//                             ten tokens; unrecognised parts stay zero
//   parse_number(s, end)      decimal with optional sign, saturating, as the
//                             C run-time's number readers see it
#pragma once

#include <cstdint>
#include <string>

#include "format.h"

namespace foldmend {

bool decode_words(const std::string& text, std::string& out);
std::string display_name(const std::string& text);
std::string address_of(const std::string& text);
StatedDate parse_date(const std::string& text);
// Leading white space skipped; optional sign; digits. Clamped to +-2^31..2^32.
long long parse_number(const char* s, const char** end = nullptr);

}  // namespace foldmend
