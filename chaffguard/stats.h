// Statistics: counters of verdicts in "spamstat.txt" (since the beginning) and
// "spamstt2.txt" (current period), the CSV history "spamstat.csv" and the
// per-recipient spam counter "spamtrck.txt", all in the data directory.
//
//   CountEvent(dir, version, event)  updates both counter files
//   CountEvents(dir, version, {events})  the same for several events at once
//                     (each file read and written once)
//   PeriodCheck(dir, version, stat_rate, forced_writes)  when `nextstat` of the
//                     flags file is due: schedules the next one, appends the
//                     period's CSV row (header first for a new file) with the
//                     row counts of both databases, deletes "spamstt2.txt"
//   CountSpamForRecipient(dir, address)
//   DbSizes()         the last known row counts (WordSize, WhiteSize), kept
//                     between calls; 0 means unknown
//
// Percentages are value*100 with "%.2f" (rates "%.4f") and "%". File errors throw
// std::runtime_error; database errors ESQLiteException.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace chaffguard {

enum StatEvent : int {
  kStatSpam = 0,
  kStatNoSpam = 1,
  kStatWhitelisted = 2,
  kStatMissedSpam = 3,
  kStatFalsePositive = 4,
  kStatVirus = 5,
  kStatBlockedSpam = 6,
};

struct DbSizeCounts {
  int64_t words = 0;
  int64_t white = 0;
};
DbSizeCounts& DbSizes();

inline constexpr char kStatAllFile[] = "spamstat.txt";
inline constexpr char kStatPeriodFile[] = "spamstt2.txt";
inline constexpr char kStatCsvFile[] = "spamstat.csv";
inline constexpr char kSpamTrackFile[] = "spamtrck.txt";

void CountEvent(const std::string& data_dir, const std::string& version, StatEvent event);
void CountEvents(const std::string& data_dir, const std::string& version,
                 std::initializer_list<StatEvent> events);
// Answers whether the check was due (and a row was written).
bool PeriodCheck(const std::string& data_dir, const std::string& version, int stat_rate,
                 bool forced_writes);
void CountSpamForRecipient(const std::string& data_dir, const std::string& address);

}  // namespace chaffguard
