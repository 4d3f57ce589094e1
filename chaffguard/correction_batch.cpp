// The correction batches of a DAEMON call: the spam mailbox first (target
// spam), then the good-mail mailbox (target good). An address that names no
// local mailbox is reported at every batch; the requests of a valid mailbox
// are trained by TrainCorrectionRequests (classify_stage.cpp).
#include "DAEMON.h"

namespace chaffguard {

void RunCorrectionBatches(DaemonContext& ctx) {
  struct Batch { const std::string& dir; bool to_spam; const char* invalid; };
  const Batch batches[] = {{ctx.spam_dir, true, "SPAM correction address is invalid!"},
                           {ctx.nospam_dir, false, "NoSPAM correction address is invalid!"}};
  for (const auto& b : batches) {
    if (b.dir.empty()) {
      ctx.Log('?', b.invalid);
      ctx.host->HostLog(5, VersionText() + " - " + b.invalid);
      continue;
    }
    TrainCorrectionRequests(ctx, b.dir, b.to_spam);
  }
}

}  // namespace chaffguard
