// The training rounds of one correction request: see corrections.h.
#include "baylearn.h"
#include "bayscore.h"
#include "corrections.h"

namespace chaffguard {

RoundsResult TrainUntilAgreed(mime::TmwQuickAndDirtyHashStrings& list, bool to_spam, const Settings& s,
                              int max_passes) {
  RoundsResult r;
  const bool unreachable = to_spam ? s.baySpamProb >= 1.0 : s.baySpamProb <= 0.0;
  long long step = 1;
  long double score = Classify(list, s.bayClasifyMaxTokens, nullptr);
  while (IsSpamScore(score, s) != to_spam) {
    if (r.passes >= max_passes) {
      r.capped = true;
      break;
    }
    TrainTokens(list, to_spam, step, r.rounds > 10);
    RecomputeTokens(list, s);
    r.rounds += step;
    ++r.passes;
    if (r.rounds > 10000) step = 10000;
    else if (r.rounds > 1000) step = 1000;
    else if (r.rounds > 100) step = 100;
    else if (r.rounds > 10) step = 10;
    score = Classify(list, s.bayClasifyMaxTokens, nullptr);
    if (unreachable && IsSpamScore(score, s) != to_spam) {
      r.unreachable = true;
      break;
    }
  }
  return r;
}

}  // namespace chaffguard
