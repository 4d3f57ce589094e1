// Message header parser: reads one message of a master file from its first
// byte and fills a summary for the index record (flags, the client's
// X-VTFLAGS data, sender, subject, stated date).
//
//   parse_message(in, summary, now)  false when the message is rejected
//     (first line starting with 0x03 or "SMF-71"); otherwise true. Leaves the
//     reader anywhere inside or after the message.
//
// Header lines: CR ignored, LF ends a line unless a space or tab follows
// (folding), at most 511 characters kept; a Ctrl+Z ends the header as end
// of file does (the next message never lends its headers to this one).
// After the header, up to 20 raw lines of at most 511 characters are looked
// at for uuencode, BinHex and RTF markers when the message is not multipart.
#pragma once

#include <cstdint>
#include <string>

#include "fileio.h"
#include "format.h"

namespace foldmend {

struct MessageSummary {
  std::uint32_t flags = 0;
  std::int8_t client_a = 0;
  std::uint32_t client_b_source = 0;
  std::string id;       // <= 13
  std::string from;     // <= 41
  std::string subject;  // <= 49
  StatedDate date;
};

// The local clock as (year - 1900, month 1-12, day, hour, minute, second).
struct ClockFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
ClockFields local_clock();

bool parse_message(ByteReader& in, MessageSummary& s, const ClockFields& now);

}  // namespace foldmend
