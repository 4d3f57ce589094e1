#include "clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace chaffguard {

namespace {
using namespace std::chrono;

bool g_fixed = false;
LocalDateTime g_fixed_value;

sys_days ToDays(const LocalDateTime& t) {
  return sys_days(year{t.year} / month{static_cast<unsigned>(t.month)} /
                  day{static_cast<unsigned>(t.day)});
}

void SetDate(LocalDateTime& t, sys_days d) {
  year_month_day ymd(d);
  t.year = static_cast<int>(ymd.year());
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
}
}  // namespace

void SetNowForTesting(const LocalDateTime* fixed) {
  g_fixed = fixed != nullptr;
  if (fixed) g_fixed_value = *fixed;
}

LocalDateTime Now() {
  if (g_fixed) return g_fixed_value;
  auto now = system_clock::now();
  std::time_t tt = system_clock::to_time_t(now);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &tt);
#else
  localtime_r(&tt, &tm);
#endif
  LocalDateTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return t;
}

LocalDateTime AddDays(const LocalDateTime& t, long days) {
  LocalDateTime r = t;
  SetDate(r, ToDays(t) + std::chrono::days{days});
  return r;
}

LocalDateTime AddHours(const LocalDateTime& t, long hours) {
  long total = t.hour + hours;
  long day_shift = total >= 0 ? total / 24 : -((-total + 23) / 24);
  LocalDateTime r = AddDays(t, day_shift);
  r.hour = static_cast<int>(total - day_shift * 24);
  return r;
}

int DayOfWeekMonday1(int y, int m, int d) {
  weekday wd{sys_days(year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)})};
  return static_cast<int>(wd.iso_encoding());
}

int DayOfYear0(int y, int m, int d) {
  auto days_in = sys_days(year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)}) -
                 sys_days(year{y} / January / 1);
  return static_cast<int>(days_in.count());
}

std::string DateNumber(const LocalDateTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.year % 10000, t.month % 100, t.day % 100);
  return buf;
}

std::string FormatDateTime(const LocalDateTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year % 10000, t.month % 100,
                t.day % 100, t.hour % 100, t.minute % 100, t.second % 100);
  return buf;
}

std::optional<LocalDateTime> ParseDateTime(const std::string& text) {
  LocalDateTime t;
  char tail = 0;
  if (text.size() != 19 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second, &tail) != 6)
    return std::nullopt;
  year_month_day ymd{year{t.year}, month{static_cast<unsigned>(t.month)},
                     day{static_cast<unsigned>(t.day)}};
  if (!ymd.ok() || t.hour > 23 || t.minute > 59 || t.second > 59 || t.hour < 0 || t.minute < 0 ||
      t.second < 0)
    return std::nullopt;
  return t;
}

uint64_t TickMs() {
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace chaffguard
