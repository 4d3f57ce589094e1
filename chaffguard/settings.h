// The plug-in's settings: every key of the settings file with its default, the
// load and store operations and the default queue directory.
//
//   Settings()            all defaults
//   LoadSettings(s, ...)  reads base/<instance>.ini into `s`; the keys of the
//                         sections "bayDynamic" and "bayStatic" (except
//                         bayMaxCorrCnt) keep the value `s` holds when missing
//   StoreSettings(s, ...) writes every key of the three sections in table order
//   SettingsPath          base directory + instance name + ".ini"
//
// Percentages (bayUnknownProb, baySpamProb) are held as fractions (53 -> 0.53)
// and written back as whole percentages. A missing file gives the defaults.
// StoreSettings throws std::runtime_error when the file cannot be written.
#pragma once

#include <string>

namespace chaffguard {

inline constexpr const char kDefaultInstance[] = "chaffguard";

struct Settings {
  // Section "chaffguard"
  bool Enabled = false;
  std::string LogFile = "chaffguard.log";
  std::string TagName = "X-CHAFFGUARD";
  std::string Queue;
  bool Debug = false;
  bool BayDebug = false;
  std::string SpamAddr = "spam";
  std::string NoSpamAddr = "nospam";
  std::string LocalIP = "127.0.0.1/8";
  std::string DynamicHost;
  std::string Password;
  std::string BlockTag;
  std::string VirusTag = "attach removed";
  std::string bayDataDir;  // default: base directory with a trailing separator
  std::string Subject;
  bool LogPestGate = false;
  bool SpamTrack = false;
  bool TrainAlways = true;
  bool IgnoreWhite = false;
  std::string WhitelistText = "Whitelisted";
  std::string BlockText = "Blocked SPAM!";
  std::string DebugText = "Debug -";
  std::string ProbText = "probability -";
  std::string SpamText = "SPAM detected!";
  std::string HoneyPot;
  int CleanTime = 20;
  int StatRate = 1;
  bool ImageParser = true;
  // Section "bayDynamic"
  int bayNoSpamBoost = 2;
  int bayClasifyMaxTokens = 25;
  int bayMaxCorrCnt = 50;
  double bayUnknownProb = 0.40;
  double baySpamProb = 0.80;
  int bayOldDays = 30;
  int bayExpire = 180;
  int bayWhiteOldDays = 30;
  bool bayForcedWrites = true;
  std::string CustomHeaders;
  // Section "bayStatic"
  int bayMaxLength = 8192;
  int bayMinTokenLength = 3;
  int bayMaxTokenLength = 20;

  // Not stored: the queue to use when `Queue` is empty (set by LoadSettings).
  std::string DefaultQueue;
};

std::string SettingsPath(const std::string& base_dir, const std::string& instance);

void LoadSettings(Settings& s, const std::string& base_dir, const std::string& instance,
                  const std::string& host_queue, bool host_before_4_1);

void StoreSettings(const Settings& s, const std::string& base_dir, const std::string& instance);

// The default queue directory: the host's queue value; when empty and the host
// is older than 4.1, the MAILQUEUE line of corvane.ini in the base directory;
// when still empty, the base directory followed by "QUEUE".
std::string DefaultQueueDir(const std::string& base_dir, const std::string& host_queue,
                            bool host_before_4_1);

}  // namespace chaffguard
