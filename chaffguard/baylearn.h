// bayes4 (learning part): training and recomputing a token list, and learning
// from the verdict of a classified message.
//
//   TrainTokens(list, to_spam, amount, subtract)
//       for each item with count n: the target's count (spam or good) grows
//       by amount * n; with `subtract` the other count shrinks by amount * n.
//       Counts saturate at the 32-bit limits instead of wrapping.
//   RecomputeTokens(list, s)
//       negative counts become 0; when either count exceeds 1000000 both are
//       halved; probability = F(spam count, good count) (not scaled by the
//       item's count); interest = |probability - neutral|
//   TokenRecords(list)  the items as the words database writes them
//   LearnFromVerdict(list, spam, words_db, s, today)
//       TrainAlways on: trains with the verdict as target (amount 1, no
//       subtraction) and writes the token list; off: only refreshes the dates
//       of the tokens already stored
//   WriteGroup
//       "BEGIN IMMEDIATE" ... "COMMIT" on a connection: holds the write lock
//       from the look-up of a token list to its write, so no other process
//       changes the counts in between; groups the list moves of a correction
//       request into one commit. Commit() ends it; leaving the scope by an
//       exception commits what was done (errors swallowed there).
//
// Database errors propagate as ESQLiteException.
#pragma once

#include <vector>

#include "SQLiteWrap.h"
#include "bayes4.h"
#include "clock.h"
#include "mwQuickAndDirtyHashStrings.h"
#include "settings.h"

namespace chaffguard {

void TrainTokens(mime::TmwQuickAndDirtyHashStrings& list, bool to_spam, long long amount, bool subtract);
void RecomputeTokens(mime::TmwQuickAndDirtyHashStrings& list, const Settings& s);
std::vector<TokenRecord> TokenRecords(const mime::TmwQuickAndDirtyHashStrings& list);
void LearnFromVerdict(const mime::TmwQuickAndDirtyHashStrings& list, bool spam, TSQLiteDatabase& words_db,
                      const Settings& s, const LocalDateTime& today);

class WriteGroup {
 public:
  explicit WriteGroup(TSQLiteDatabase& db);
  ~WriteGroup();
  WriteGroup(const WriteGroup&) = delete;
  WriteGroup& operator=(const WriteGroup&) = delete;
  void Commit();

 private:
  TSQLiteDatabase& db_;
  bool open_ = true;
};

}  // namespace chaffguard
