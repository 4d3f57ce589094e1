// The daily database cleaning, scheduled by `nextclean` in the flags file.
//
//   CleanDatabasesIfDue(...)  when `nextclean` (default now) is not in the
//       future: sets it to tomorrow at `clean_hour` o'clock (1..23, else 20),
//       then logs (type "X") "Start cleaning...", cleans neutral and old words
//       and old list entries with a line per count, stores the row counts in
//       DbSizes() and logs "End cleaning!". Answers whether it ran.
//
// Database errors are ESQLiteException; flags-file errors std::runtime_error.
#pragma once

#include <string>

#include "SQLiteWrap.h"
#include "pluglog.h"
#include "settings.h"

namespace chaffguard {

bool CleanDatabasesIfDue(const Settings& s, TSQLiteDatabase& words, TSQLiteDatabase& list,
                         const LogFn& log);

}  // namespace chaffguard
