// Local date and time for the plug-in: the current moment (replaceable by
// tests), calendar arithmetic on local wall-clock values and the text forms.
//
//   Now()               current local date-time with milliseconds
//   SetNowForTesting    makes Now() answer a fixed value (nullptr restores)
//   AddDays/AddHours    calendar arithmetic on wall-clock values (no DST shift)
//   DateNumber          yyyymmdd as text, as the databases store dates
//   FormatDateTime / ParseDateTime   "yyyy-mm-dd hh:nn:ss", the form the flags
//                       and statistics files use; parsing rejects anything else
//   TickMs              a monotonic millisecond counter
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace chaffguard {

struct LocalDateTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, ms = 0;
  auto operator<=>(const LocalDateTime&) const = default;
};

LocalDateTime Now();
void SetNowForTesting(const LocalDateTime* fixed);

LocalDateTime AddDays(const LocalDateTime& t, long days);
LocalDateTime AddHours(const LocalDateTime& t, long hours);
int DayOfWeekMonday1(int year, int month, int day);  // Monday 1 ... Sunday 7
int DayOfYear0(int year, int month, int day);        // 1 January is 0

std::string DateNumber(const LocalDateTime& t);
std::string FormatDateTime(const LocalDateTime& t);
std::optional<LocalDateTime> ParseDateTime(const std::string& text);

uint64_t TickMs();

}  // namespace chaffguard
