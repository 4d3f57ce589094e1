// Outbound learning: external recipients of a local sender become whitelisted.
//
//   LearnOutbound(sender, recipients, list_db, data_dir, is_local, log)
//     plain sender empty: nothing; sender matching cgexclde.txt: "I" "Sender
//     excluded"; otherwise for every non-empty, non-local recipient: on the
//     blacklist "L" "BL: " + recipient, else add/confirm on the whitelist and
//     "A" "WH+: " + recipient when it was new.
// Database errors are ESQLiteException.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "SQLiteWrap.h"
#include "pluglog.h"

namespace chaffguard {

void LearnOutbound(const std::string& sender, const std::vector<std::string>& recipients,
                   TSQLiteDatabase& list_db, const std::string& data_dir,
                   const std::function<bool(const std::string&)>& is_local, const LogFn& log);

}  // namespace chaffguard
