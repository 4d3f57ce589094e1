#include "dbclean.h"

#include "bayes4.h"
#include "stats.h"

namespace chaffguard {

bool CleanDatabasesIfDue(const Settings& s, TSQLiteDatabase& words, TSQLiteDatabase& list,
                         const LogFn& log) {
  const LocalDateTime now = Now();
  FlagsFile flags(s.bayDataDir);
  if (now < flags.Read("nextclean").value_or(now)) return false;
  LocalDateTime next = AddDays(now, 1);
  next.hour = (s.CleanTime >= 1 && s.CleanTime <= 23) ? s.CleanTime : 20;
  next.minute = next.second = next.ms = 0;
  flags.Write("nextclean", next);

  log('X', "Start cleaning...");
  log('X', "Words neutral records: " + std::to_string(CleanNeutral(words, now, s.bayOldDays)));
  log('X', "Words old records: " +
               std::to_string(CleanOld(words, now, s.bayExpire, s.bayOldDays)));
  log('X', "Whitelist old records: " + std::to_string(CleanList(list, now, s.bayWhiteOldDays)));
  DbSizes().words = CountWords(words);
  DbSizes().white = CountList(list);
  log('X', "End cleaning!");
  return true;
}

}  // namespace chaffguard
