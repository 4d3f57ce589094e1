// Bayesian scoring: see bayscore.h.
#include "bayscore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bayes4.h"

namespace chaffguard {

long double WordProbability(int64_t a, int64_t b, const Settings& s) {
  if (a == 0 && b == 0) return static_cast<long double>(s.bayUnknownProb);
  const long double la = static_cast<long double>(std::max<int64_t>(a, 0));
  const long double lb = static_cast<long double>(std::max<int64_t>(b, 0));
  const long double k = static_cast<long double>(std::clamp(s.bayNoSpamBoost, 1, 5));
  return (la + 1) / (la + 1 + lb * k + 1);
}

long double TokenInterest(long double p) { return std::fabs(p - kNeutralProbability); }

namespace {
// n * c without leaving the 64-bit range.
int64_t Scaled(int64_t n, int64_t c) {
  if (n <= 0 || c <= 0) return 0;
  if (c > INT64_MAX / n) return INT64_MAX;
  return n * c;
}
int32_t Narrow(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

void LookupTokens(mime::TmwQuickAndDirtyHashStrings& list, TSQLiteDatabase& db, const Settings& s) {
  ReadTransaction snapshot(db);
  for (int i = 0; i < list.Count(); ++i) {
    auto& item = list[i];
    const auto row = LookupToken(db, item.Key);
    if (!row) {
      item.DatabaseKey = item.SpamCount = item.GoodCount = 0;
      item.Probability = static_cast<long double>(s.bayUnknownProb);
    } else {
      item.DatabaseKey = Narrow(row->key);
      item.SpamCount = Narrow(row->spamcount);
      item.GoodCount = Narrow(row->nospamcount);
      item.Probability =
          WordProbability(Scaled(item.Count, row->spamcount), Scaled(item.Count, row->nospamcount), s);
    }
    item.Interest = TokenInterest(item.Probability);
  }
}

std::string FormatFixed(long double value, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", digits, static_cast<double>(value));
  return buf;
}

long double Classify(mime::TmwQuickAndDirtyHashStrings& list, int max_tokens,
                     std::vector<std::string>* debug) {
  if (list.Count() == 0) return 1.0L;
  list.SortByInterest();
  const int take = std::min(std::max(max_tokens, 0), list.Count());
  long double p = 1.0L, q = 1.0L;
  for (int i = list.Count() - 1; i >= list.Count() - take; --i) {
    const long double pi = list[i].Probability;
    p *= pi;
    q *= 1.0L - pi;
    if (debug) debug->push_back(list[i].Key + " " + FormatFixed(pi, 13));
  }
  const long double score = (p + q) > 0 ? p / (p + q) : 0.5L;
  if (debug) debug->push_back("... " + FormatFixed(score, 13));
  return score;
}

bool IsSpamScore(long double score, const Settings& s) {
  return score > static_cast<long double>(s.baySpamProb);
}

}  // namespace chaffguard
