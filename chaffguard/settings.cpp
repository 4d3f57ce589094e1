#include "settings.h"

#include <cmath>
#include <limits>

#include "cgtext.h"
#include "inifile.h"
#include "mystrlist.h"

namespace chaffguard {

namespace {
constexpr char kMain[] = "chaffguard";
constexpr char kDynamic[] = "bayDynamic";
constexpr char kStatic[] = "bayStatic";

int ToInt(long long v) {
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

int Percent(double fraction) { return static_cast<int>(std::lround(fraction * 100.0)); }
}  // namespace

std::string SettingsPath(const std::string& base_dir, const std::string& instance) {
  return JoinPath(base_dir, (instance.empty() ? std::string(kDefaultInstance) : instance) + ".ini");
}

std::string DefaultQueueDir(const std::string& base_dir, const std::string& host_queue,
                            bool host_before_4_1) {
  std::string q = host_queue;
  if (q.empty() && host_before_4_1) {
    TIniFile ini;  // only used as a bounded line reader here
    ini.Load(JoinPath(base_dir, "corvane.ini"));
    for (const auto& line : ini.Lines()) {
      if (!StartsWithNoCase(line, "MAILQUEUE")) continue;
      size_t colon = line.find(':');
      std::string v = colon == std::string::npos ? std::string() : Trim(line.substr(colon + 1));
      size_t hash = v.find('#');
      if (hash != std::string::npos) v = Trim(v.substr(0, hash));
      q = v;
      break;
    }
  }
  if (q.empty()) q = JoinPath(base_dir, "QUEUE");
  return q;
}

void LoadSettings(Settings& s, const std::string& base_dir, const std::string& instance,
                  const std::string& host_queue, bool host_before_4_1) {
  TIniFile ini;
  ini.Load(SettingsPath(base_dir, instance));
  const Settings d;  // fixed defaults
  auto str = [&](const char* key, const std::string& def) { return ini.ReadString(kMain, key, def); };
  auto boo = [&](const char* key, bool def) { return ini.ReadBool(kMain, key, def); };
  s.Enabled = boo("Enabled", d.Enabled);
  s.LogFile = str("LogFile", d.LogFile);
  s.TagName = str("TagName", d.TagName);
  s.Queue = str("Queue", d.Queue);
  s.Debug = boo("Debug", d.Debug);
  s.BayDebug = boo("BayDebug", d.BayDebug);
  s.SpamAddr = str("SpamAddr", d.SpamAddr);
  s.NoSpamAddr = str("NoSpamAddr", d.NoSpamAddr);
  s.LocalIP = str("LocalIP", d.LocalIP);
  s.DynamicHost = str("DynamicHost", d.DynamicHost);
  s.Password = str("Password", d.Password);
  s.BlockTag = str("BlockTag", d.BlockTag);
  s.VirusTag = str("VirusTag", d.VirusTag);
  s.bayDataDir = WithTrailingSep(str("bayDataDir", WithTrailingSep(base_dir)));
  s.Subject = str("Subject", d.Subject);
  s.LogPestGate = boo("LogPestGate", d.LogPestGate);
  s.SpamTrack = boo("SpamTrack", d.SpamTrack);
  s.TrainAlways = boo("TrainAlways", d.TrainAlways);
  s.IgnoreWhite = boo("IgnoreWhite", d.IgnoreWhite);
  s.WhitelistText = str("WhitelistText", d.WhitelistText);
  s.BlockText = str("BlockText", d.BlockText);
  s.DebugText = str("DebugText", d.DebugText);
  s.ProbText = str("ProbText", d.ProbText);
  s.SpamText = str("SpamText", d.SpamText);
  s.HoneyPot = str("HoneyPot", d.HoneyPot);
  s.CleanTime = ToInt(ini.ReadInteger(kMain, "CleanTime", d.CleanTime));
  s.StatRate = ToInt(ini.ReadInteger(kMain, "StatRate", d.StatRate));
  s.ImageParser = boo("ImageParser", d.ImageParser);

  // These keep the value held in memory when missing.
  auto keep = [&](const char* section, const char* key, int& v) {
    v = ToInt(ini.ReadInteger(section, key, v));
  };
  auto keep_pct = [&](const char* key, double& v) {
    v = static_cast<double>(ini.ReadInteger(kDynamic, key, Percent(v))) / 100.0;
  };
  keep(kDynamic, "bayNoSpamBoost", s.bayNoSpamBoost);
  keep(kDynamic, "bayClasifyMaxTokens", s.bayClasifyMaxTokens);
  s.bayMaxCorrCnt = ToInt(ini.ReadInteger(kDynamic, "bayMaxCorrCnt", 50));
  keep_pct("bayUnknownProb", s.bayUnknownProb);
  keep_pct("baySpamProb", s.baySpamProb);
  keep(kDynamic, "bayOldDays", s.bayOldDays);
  keep(kDynamic, "bayExpire", s.bayExpire);
  keep(kDynamic, "bayWhiteOldDays", s.bayWhiteOldDays);
  s.bayForcedWrites = ini.ReadBool(kDynamic, "bayForcedWrites", s.bayForcedWrites);
  s.CustomHeaders = ini.ReadString(kDynamic, "CustomHeaders", s.CustomHeaders);
  keep(kStatic, "bayMaxLength", s.bayMaxLength);
  keep(kStatic, "bayMinTokenLength", s.bayMinTokenLength);
  keep(kStatic, "bayMaxTokenLength", s.bayMaxTokenLength);

  s.DefaultQueue = DefaultQueueDir(base_dir, host_queue, host_before_4_1);
}

void StoreSettings(const Settings& s, const std::string& base_dir, const std::string& instance) {
  const std::string path = SettingsPath(base_dir, instance);
  TIniFile ini;
  ini.Load(path);
  ini.WriteBool(kMain, "Enabled", s.Enabled);
  ini.WriteString(kMain, "LogFile", s.LogFile);
  ini.WriteString(kMain, "TagName", s.TagName);
  ini.WriteString(kMain, "Queue", s.Queue);
  ini.WriteBool(kMain, "Debug", s.Debug);
  ini.WriteBool(kMain, "BayDebug", s.BayDebug);
  ini.WriteString(kMain, "SpamAddr", s.SpamAddr);
  ini.WriteString(kMain, "NoSpamAddr", s.NoSpamAddr);
  ini.WriteString(kMain, "LocalIP", s.LocalIP);
  ini.WriteString(kMain, "DynamicHost", s.DynamicHost);
  ini.WriteString(kMain, "Password", s.Password);
  ini.WriteString(kMain, "BlockTag", s.BlockTag);
  ini.WriteString(kMain, "VirusTag", s.VirusTag);
  ini.WriteString(kMain, "bayDataDir", s.bayDataDir);
  ini.WriteString(kMain, "Subject", s.Subject);
  ini.WriteBool(kMain, "LogPestGate", s.LogPestGate);
  ini.WriteBool(kMain, "SpamTrack", s.SpamTrack);
  ini.WriteBool(kMain, "TrainAlways", s.TrainAlways);
  ini.WriteBool(kMain, "IgnoreWhite", s.IgnoreWhite);
  ini.WriteString(kMain, "WhitelistText", s.WhitelistText);
  ini.WriteString(kMain, "BlockText", s.BlockText);
  ini.WriteString(kMain, "DebugText", s.DebugText);
  ini.WriteString(kMain, "ProbText", s.ProbText);
  ini.WriteString(kMain, "SpamText", s.SpamText);
  ini.WriteString(kMain, "HoneyPot", s.HoneyPot);
  ini.WriteInteger(kMain, "CleanTime", s.CleanTime);
  ini.WriteInteger(kMain, "StatRate", s.StatRate);
  ini.WriteBool(kMain, "ImageParser", s.ImageParser);
  ini.WriteInteger(kDynamic, "bayNoSpamBoost", s.bayNoSpamBoost);
  ini.WriteInteger(kDynamic, "bayClasifyMaxTokens", s.bayClasifyMaxTokens);
  ini.WriteInteger(kDynamic, "bayMaxCorrCnt", s.bayMaxCorrCnt);
  ini.WriteInteger(kDynamic, "bayUnknownProb", Percent(s.bayUnknownProb));
  ini.WriteInteger(kDynamic, "baySpamProb", Percent(s.baySpamProb));
  ini.WriteInteger(kDynamic, "bayOldDays", s.bayOldDays);
  ini.WriteInteger(kDynamic, "bayExpire", s.bayExpire);
  ini.WriteInteger(kDynamic, "bayWhiteOldDays", s.bayWhiteOldDays);
  ini.WriteBool(kDynamic, "bayForcedWrites", s.bayForcedWrites);
  ini.WriteString(kDynamic, "CustomHeaders", s.CustomHeaders);
  ini.WriteInteger(kStatic, "bayMaxLength", s.bayMaxLength);
  ini.WriteInteger(kStatic, "bayMinTokenLength", s.bayMinTokenLength);
  ini.WriteInteger(kStatic, "bayMaxTokenLength", s.bayMaxTokenLength);
  ini.Save(path);
}

}  // namespace chaffguard
