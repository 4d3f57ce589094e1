// The stages of a DAEMON call that need the token machinery: the correction
// batches and classify-and-learn. They are filled in together with message
// decoding, tokens, scoring and learning; until then a message that needs
// testing is left exactly as it arrived.
#include "DAEMON.h"

namespace chaffguard {

void RunCorrectionBatches(DaemonContext& ctx) { (void)ctx; }

void ClassifyAndLearn(DaemonContext& ctx) { (void)ctx; }

}  // namespace chaffguard
