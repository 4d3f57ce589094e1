// Charset names: the alias table and the resolution of a declared charset name.
//
// Purpose: turns a charset name from a Content-Type header (any case) into one
// charset identity, so that converters can be chosen and two names of the same
// charset compare equal.
//
// Rules, in order:
//   1. a name containing "KAMENICKY" or "895" is Kamenicky (code page 895);
//   2. a name containing "MUTF-7" is modified UTF-7 (the IMAP folder-name form);
//   3. the upper-cased name is looked up in the 113-row alias table: a row
//      matches when one of its space-separated aliases equals the name, rows are
//      tried in order and the first match wins;
//   4. any other name is ISO-8859-1.
//
// Functions: CharsetAliasRows(), ResolveCharset(), CanonicalCharsetName(),
// ByteOrderMark(). No diagnostics: every name resolves to something.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace chaffguard::mime {

// Number of rows of the alias table.
inline constexpr int kCharsetAliasRowCount = 113;

// A resolved charset: an alias-table row (0..112) or one of the two charsets
// that are recognised before the table.
struct CharsetId {
  int value = 0;
  friend bool operator==(CharsetId, CharsetId) = default;
};

inline constexpr CharsetId kKamenicky{kCharsetAliasRowCount};
inline constexpr CharsetId kModifiedUtf7{kCharsetAliasRowCount + 1};

// The alias rows in table order; each row is its aliases separated by one space,
// the first alias being the row's canonical name.
std::span<const std::string_view> CharsetAliasRows();

// Resolves a declared charset name by the rules above. Never fails.
CharsetId ResolveCharset(std::string_view name);

// The name given to a converter library for this charset: the row's first
// alias, "KAMENICKY" or "MUTF-7".
std::string_view CanonicalCharsetName(CharsetId id);

// Alias-table row index of a canonical name (exact, upper case), or -1.
int FindCharsetRowByCanonicalName(std::string_view canonical);

// Byte-order mark to put before text encoded in this charset when the
// converter does not write one itself: the explicit-endian UTF-16, UTF-32, UCS-2
// and UCS-4 forms; empty for every other charset.
std::string ByteOrderMark(CharsetId id);

}  // namespace chaffguard::mime
