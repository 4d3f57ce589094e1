// Learning operations on a token list: see baylearn.h.
#include "baylearn.h"

#include <algorithm>
#include <cstdint>

#include "bayscore.h"

namespace chaffguard {

namespace {
int32_t Saturate(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// amount * n within 64 bits (both are far below 2^31 in magnitude).
int64_t Times(long long amount, int32_t n) {
  const long long a = std::clamp<long long>(amount, -(1LL << 31), 1LL << 31);
  return static_cast<int64_t>(a) * n;
}
}  // namespace

void TrainTokens(mime::TmwQuickAndDirtyHashStrings& list, bool to_spam, long long amount, bool subtract) {
  for (int i = 0; i < list.Count(); ++i) {
    auto& item = list[i];
    const int64_t d = Times(amount, item.Count);
    int32_t& target = to_spam ? item.SpamCount : item.GoodCount;
    int32_t& other = to_spam ? item.GoodCount : item.SpamCount;
    target = Saturate(target + d);
    if (subtract) other = Saturate(other - d);
  }
}

void RecomputeTokens(mime::TmwQuickAndDirtyHashStrings& list, const Settings& s) {
  for (int i = 0; i < list.Count(); ++i) {
    auto& item = list[i];
    item.SpamCount = std::max(item.SpamCount, 0);
    item.GoodCount = std::max(item.GoodCount, 0);
    if (item.SpamCount > kHalveAbove || item.GoodCount > kHalveAbove) {
      item.SpamCount /= 2;
      item.GoodCount /= 2;
    }
    item.Probability = WordProbability(item.SpamCount, item.GoodCount, s);
    item.Interest = TokenInterest(item.Probability);
  }
}

std::vector<TokenRecord> TokenRecords(const mime::TmwQuickAndDirtyHashStrings& list) {
  std::vector<TokenRecord> out;
  out.reserve(static_cast<size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) {
    const auto& item = list[i];
    TokenRecord r;
    r.word = item.Key;
    r.hash = item.Hash;
    r.key = item.DatabaseKey;
    r.spam = item.SpamCount;
    r.nospam = item.GoodCount;
    out.push_back(std::move(r));
  }
  return out;
}

void LearnFromVerdict(const mime::TmwQuickAndDirtyHashStrings& list, bool spam, TSQLiteDatabase& words_db,
                      const Settings& s, const LocalDateTime& today) {
  if (!s.TrainAlways) {
    TouchTokenList(words_db, TokenRecords(list), today);
    return;
  }
  mime::TmwQuickAndDirtyHashStrings trained = list;
  TrainTokens(trained, spam, 1, false);
  WriteTokenList(words_db, TokenRecords(trained), today);
}

WriteGroup::WriteGroup(TSQLiteDatabase& db) : db_(db) { db_.BeginTransaction("", "IMMEDIATE"); }

WriteGroup::~WriteGroup() {
  if (!open_) return;
  try {
    db_.Commit();
  } catch (...) {
  }
}

void WriteGroup::Commit() {
  if (!open_) return;
  open_ = false;
  db_.Commit();
}

}  // namespace chaffguard
