#include "stats.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "bayes4.h"
#include "cgtext.h"
#include "clock.h"
#include "filelock.h"
#include "inifile.h"
#include "mystrlist.h"
#include "pluglog.h"

namespace chaffguard {

namespace {
constexpr char kSection[] = "stat";

struct Counters {
  std::string from;
  int64_t c[7] = {};
  int64_t& spam() { return c[kStatSpam]; }
  int64_t& nospam() { return c[kStatNoSpam]; }
  int64_t& white() { return c[kStatWhitelisted]; }
  int64_t& missed() { return c[kStatMissedSpam]; }
  int64_t& fp() { return c[kStatFalsePositive]; }
  int64_t& virus() { return c[kStatVirus]; }
  int64_t& blocked() { return c[kStatBlockedSpam]; }
};

const char* const kCounterKeys[7] = {"spam",          "nospam", "whitelisted", "missedSPAM",
                                     "falsePositive", "virus",  "blockedSPAM"};

Counters ReadCounters(const TIniFile& ini) {
  Counters k;
  k.from = ini.ReadString(kSection, "from", FormatDateTime(Now()));
  for (int i = 0; i < 7; ++i) k.c[i] = ini.ReadInteger(kSection, kCounterKeys[i], 0);
  return k;
}

std::string Pct(double v, const char* fmt) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v * 100.0);
  return std::string(buf) + "%";
}

void UpdateFile(const std::string& path, const std::string& version,
                std::initializer_list<StatEvent> events) {
  TIniFile ini;
  ini.Load(path);
  Counters k = ReadCounters(ini);
  for (StatEvent event : events) ++k.c[event];
  int64_t all = k.spam() + k.nospam() + k.virus();
  if (all < 1) all = 1;
  const double a = static_cast<double>(all);
  ini.WriteString(kSection, "version", version);
  ini.WriteString(kSection, "from", k.from);
  ini.WriteInteger(kSection, "all", all);
  ini.WriteInteger(kSection, "spam", k.spam());
  ini.WriteInteger(kSection, "nospam", k.nospam());
  ini.WriteInteger(kSection, "whitelisted", k.white());
  ini.WriteInteger(kSection, "blockedSPAM", k.blocked());
  if (k.virus() > 0) {
    ini.WriteInteger(kSection, "virus", k.virus());
    ini.WriteString(kSection, "viruspercent", Pct(static_cast<double>(k.virus()) / a, "%.2f"));
    ini.WriteString(kSection, "unwantedpercent",
                    Pct(static_cast<double>(k.spam() + k.virus()) / a, "%.2f"));
  }
  if (k.blocked() > 0 && k.spam() > 0)
    ini.WriteString(kSection, "blockedpercent",
                    Pct(static_cast<double>(k.blocked()) / static_cast<double>(k.spam()), "%.2f"));
  ini.WriteString(kSection, "whitelistpercent", Pct(static_cast<double>(k.white()) / a, "%.2f"));
  ini.WriteString(kSection, "spampercent", Pct(static_cast<double>(k.spam()) / a, "%.2f"));
  ini.WriteInteger(kSection, "missedSPAM", k.missed());
  ini.WriteInteger(kSection, "falsePositive", k.fp());
  ini.WriteString(kSection, "missedRate", Pct(static_cast<double>(k.missed()) / a, "%.4f"));
  ini.WriteString(kSection, "falsePositiveRate", Pct(static_cast<double>(k.fp()) / a, "%.4f"));
  if (DbSizes().words != 0) ini.WriteInteger(kSection, "WordSize", DbSizes().words);
  if (DbSizes().white != 0) ini.WriteInteger(kSection, "WhiteSize", DbSizes().white);
  ini.Save(path);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

DbSizeCounts& DbSizes() {
  static DbSizeCounts sizes;
  return sizes;
}

void CountEvent(const std::string& data_dir, const std::string& version, StatEvent event) {
  CountEvents(data_dir, version, {event});
}

void CountEvents(const std::string& data_dir, const std::string& version,
                 std::initializer_list<StatEvent> events) {
  FileLock lock(JoinPath(data_dir, kStatAllFile), kBusyTimeoutMs);
  UpdateFile(JoinPath(data_dir, kStatAllFile), version, events);
  UpdateFile(JoinPath(data_dir, kStatPeriodFile), version, events);
}

bool PeriodCheck(const std::string& data_dir, const std::string& version, int stat_rate,
                 bool forced_writes) {
  (void)version;
  const LocalDateTime now = Now();
  FlagsFile flags(data_dir);
  const LocalDateTime due = flags.Read("nextstat").value_or(now);
  if (now < due) return false;
  LocalDateTime next = now;
  next.minute = next.second = next.ms = 0;
  flags.Write("nextstat", AddHours(next, stat_rate));

  // Held until the period file is gone, so that no event of this period
  // is counted into the file after its row was written.
  FileLock lock(JoinPath(data_dir, kStatAllFile), kBusyTimeoutMs);
  const std::string period = JoinPath(data_dir, kStatPeriodFile);
  TIniFile ini;
  ini.Load(period);
  Counters k = ReadCounters(ini);
  {
    auto words = OpenWordsDb(data_dir, forced_writes);
    DbSizes().words = CountWords(*words);
    auto list = OpenListDb(data_dir, forced_writes);
    DbSizes().white = CountList(*list);
  }
  const std::string csv = JoinPath(data_dir, kStatCsvFile);
  std::error_code ec;
  const bool is_new = !std::filesystem::exists(csv, ec);
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(csv.c_str(), "ab"));
  if (!f) throw std::runtime_error("Cannot open file \"" + csv + "\"");
  std::string text;
  if (is_new)
    text += "datetime;all;spam;nospam;whitelist;blockedspam;virus;missed;falsepositive;wordsize;"
            "whitesize\r\n";
  const int64_t vals[] = {k.spam() + k.nospam() + k.virus(), k.spam(), k.nospam(), k.white(),
                          k.blocked(), k.virus(), k.missed(), k.fp(), DbSizes().words,
                          DbSizes().white};
  text += k.from;
  for (int64_t v : vals) text += ";" + std::to_string(v);
  text += "\r\n";
  if (std::fwrite(text.data(), 1, text.size(), f.get()) != text.size())
    throw std::runtime_error("Cannot write file \"" + csv + "\"");
  f.reset();
  std::filesystem::remove(period, ec);
  return true;
}

void CountSpamForRecipient(const std::string& data_dir, const std::string& address) {
  const std::string path = JoinPath(data_dir, kSpamTrackFile);
  TMyStringList list;
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) list.LoadFromFile(path);
  bool found = false;
  for (auto& line : list.lines) {
    size_t eq = line.find('=');
    std::string name = eq == std::string::npos ? line : line.substr(0, eq);
    if (!EqualsNoCase(name, address)) continue;
    long long n = ParseInt(eq == std::string::npos ? "" : line.substr(eq + 1), 0);
    line = name + "=" + std::to_string(n + 1);
    found = true;
    break;
  }
  if (!found) list.lines.push_back(address + "=1");
  list.SaveToFile(path);
}

}  // namespace chaffguard
