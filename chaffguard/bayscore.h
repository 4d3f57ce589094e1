// Bayesian scoring of a token list.
//
//   WordProbability(a, b, s)   F(a, b): bayUnknownProb when both are 0, else
//                              (a + 1) / (a + 1 + b * bayNoSpamBoost + 1) with
//                              negative counts taken as 0
//   TokenInterest(p)           |p - kNeutralProbability|
//   LookupTokens(list, db, s)  fills database key, counts, probability and
//                              interest of every item (counts scaled by the
//                              item's occurrences, in 64 bits)
//   Classify(list, max, debug) the combined score P / (P + Q) over the `max`
//                              most interesting items (1.0 for an empty list);
//                              appends "<key> <p>" lines and "... <score>" to
//                              `debug` when given. Sorts the list by interest.
//   IsSpamScore(score, s)      score > baySpamProb
// All arithmetic in long double (the 80-bit type on x86 Linux and mingw).
// Database errors propagate as ESQLiteException.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SQLiteWrap.h"
#include "mwQuickAndDirtyHashStrings.h"
#include "settings.h"

namespace chaffguard {

inline constexpr long double kNeutralProbability = 0.499999999999L;

long double WordProbability(int64_t a, int64_t b, const Settings& s);
long double TokenInterest(long double p);
void LookupTokens(mime::TmwQuickAndDirtyHashStrings& list, TSQLiteDatabase& db, const Settings& s);
long double Classify(mime::TmwQuickAndDirtyHashStrings& list, int max_tokens,
                     std::vector<std::string>* debug);
bool IsSpamScore(long double score, const Settings& s);
// "%.<digits>f" of a value.
std::string FormatFixed(long double value, int digits);

}  // namespace chaffguard
