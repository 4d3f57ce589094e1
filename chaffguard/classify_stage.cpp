// The stages of a DAEMON call that need the token machinery: training the
// waiting correction requests and classify-and-learn. They are filled in
// together with message decoding, tokens, scoring and learning; until then a
// message that needs testing is left exactly as it arrived and correction
// requests stay waiting in their mailbox.
#include "DAEMON.h"

namespace chaffguard {

void TrainCorrectionRequests(DaemonContext& ctx, const std::string& dir, bool to_spam) {
  (void)ctx;
  (void)dir;
  (void)to_spam;
}

void ClassifyAndLearn(DaemonContext& ctx) { (void)ctx; }

}  // namespace chaffguard
