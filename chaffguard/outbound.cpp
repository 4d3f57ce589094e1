#include "outbound.h"

#include "bayes4.h"
#include "cgtext.h"
#include "patterns.h"

namespace chaffguard {

void LearnOutbound(const std::string& sender, const std::vector<std::string>& recipients,
                   TSQLiteDatabase& list_db, const std::string& data_dir,
                   const std::function<bool(const std::string&)>& is_local, const LogFn& log) {
  const std::string plain = PlainAddress(sender);
  if (plain.empty()) return;
  if (MatchesPatternFile(plain, JoinPath(data_dir, kExcludeFile))) {
    log('I', "Sender excluded");
    return;
  }
  const LocalDateTime today = Now();
  for (const auto& r : recipients) {
    if (r.empty() || is_local(r)) continue;
    if (IsListed(list_db, kBlackList, r)) {
      log('L', "BL: " + r);
    } else if (AddOrConfirm(list_db, kWhiteList, r, today)) {
      log('A', "WH+: " + r);
    }
  }
}

}  // namespace chaffguard
