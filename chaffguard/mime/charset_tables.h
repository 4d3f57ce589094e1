// Built-in tables of the single-byte charsets (generated into charset_tables.cpp
// by tools/gen_charset_tables.py).
//
// Each table is keyed by the first alias of its row in the charset alias table
// (or "KAMENICKY") and lists the Unicode code point of the bytes 0x80..0xFF,
// 0 for an unassigned byte. Bytes below 0x80 map to themselves except for the
// few listed in kLowerHalfExceptions (for example the yen sign of JIS X 0201).
#pragma once

#include <cstddef>
#include <cstdint>

namespace chaffguard::mime::detail {

struct SingleByteTable {
  const char* key;
  std::uint16_t upper[128];
};

struct LowerHalfException {
  const char* key;
  std::uint8_t byte;
  std::uint16_t code_point;
};

extern const SingleByteTable kSingleByteTables[];
extern const std::size_t kSingleByteTableCount;
extern const LowerHalfException kLowerHalfExceptions[];
extern const std::size_t kLowerHalfExceptionCount;

}  // namespace chaffguard::mime::detail
