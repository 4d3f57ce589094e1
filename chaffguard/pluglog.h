// The plug-in's own log and its flags file.
//
//   LogFileName(pattern, t)  replaces every "~Y" (two-digit year), "~M", "~D"
//                            and "~W" (week number, see WeekNumber) in `pattern`
//   WeekNumber(t)            (day of year counted from 0 + weekday of 1 January
//                            with Monday 1 ... Sunday 7 - 1) div 7
//   LogLine(type, t, job, message)  "T yyyymmdd hhnnss.zzz JOB message"
//   PlugLog::Write           appends one line (CR LF) to the log file; never throws
//   FlagsFile                "chaffguard.flg" in the data directory, section
//                            "flags", keys nextclean and nextstat as local
//                            date-times; an unreadable value counts as missing
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "clock.h"

namespace chaffguard {

// Where the stages send their log lines: (type letter, message).
using LogFn = std::function<void(char type, const std::string& message)>;

int WeekNumber(const LocalDateTime& t);
std::string LogFileName(const std::string& pattern, const LocalDateTime& t);
std::string LogLine(char type, const LocalDateTime& t, const std::string& job_id,
                    const std::string& message);

// Appends a log line to the file named by `log_file_pattern` at the current time.
void WriteLog(const std::string& log_file_pattern, char type, const std::string& job_id,
              const std::string& message) noexcept;

class FlagsFile {
 public:
  static constexpr const char kName[] = "chaffguard.flg";
  explicit FlagsFile(std::string data_dir) : data_dir_(std::move(data_dir)) {}
  std::optional<LocalDateTime> Read(const char* key) const;
  void Write(const char* key, const LocalDateTime& value) const;  // throws on write failure

 private:
  std::string data_dir_;
};

}  // namespace chaffguard
