#include "DAEMON.h"

#include <filesystem>
#include <stdexcept>

#include "addracl.h"
#include "bayes4.h"
#include "cgtext.h"
#include "clock.h"
#include "dbclean.h"
#include "outbound.h"
#include "patterns.h"
#include "pluglog.h"
#include "saveutil.h"
#include "stats.h"

namespace chaffguard {

namespace {
// Module-wide and kept between calls: the version text and the settings.
std::string g_version = "Chaffguard x.x.x";
Settings g_settings;
// A host that never ends its recipient list must not hang the server.
constexpr int kMaxRecipients = 100000;

std::string InstanceName(const char* param) {
  std::string p = HostString(param, 256);
  return p.empty() ? std::string(kDefaultInstance) : p;
}

bool DirectoryExists(const std::string& dir) {
  std::error_code ec;
  return !dir.empty() && std::filesystem::is_directory(dir, ec);
}

// Logs "Done. (<ms>)" when the call ends, whatever the path.
class DoneLine {
 public:
  DoneLine(const DaemonContext& ctx, uint64_t start) : ctx_(ctx), start_(start) {}
  ~DoneLine() {
    try {
      ctx_.Log('_', "Done. (" + std::to_string(TickMs() - start_) + ")");
    } catch (...) {
    }
  }

 private:
  const DaemonContext& ctx_;
  uint64_t start_;
};

// Steps 9 to 21 of one call; the caller handles exceptions and ReleaseJob.
short Process(DaemonContext& ctx, uint64_t start) {
  const Settings& s = *ctx.settings;
  HostApi& host = *ctx.host;
  std::vector<std::string> honeypots;
  for (const auto& h : SplitCommaText(Lower(s.HoneyPot))) honeypots.push_back(h);
  const std::string password = Lower(s.Password);

  // Recipients.
  for (int n = 0; n < kMaxRecipients; ++n) {
    const std::string raw = host.NextJobRecipient(ctx.job);
    if (raw.empty()) break;
    const std::string rcpt = Lower(PlainAddress(raw));
    for (const auto& h : honeypots)
      if (!rcpt.empty() && rcpt == h) ctx.honeypot = true;
    if (rcpt.find("+spamtest") != std::string::npos) ctx.test_only = true;
    const std::string box = host.MailboxOf(rcpt);
    if (!box.empty() && (box == ctx.spam_dir || box == ctx.nospam_dir)) {
      ctx.correction = true;
      ctx.correction_dir = WithTrailingSep(box);
      if (!password.empty() && rcpt.find("+" + password) != std::string::npos)
        ctx.correction_by_password = true;
      continue;
    }
    ctx.recipients.push_back(rcpt);
  }

  // The message and its header facts.
  ctx.lines.LoadFromFile(ctx.message_path);
  ctx.headers = ReadHeaderFacts(ctx.lines.lines, s.BlockTag);

  if (HasVirusMarker(ctx.lines.lines, s.VirusTag)) {
    CountEvent(s.bayDataDir, g_version, kStatVirus);
    if (s.LogPestGate) ctx.Log('V', "Killed by Pestgate!");
    return 0;
  }

  // Origin.
  OriginInput in;
  in.flags = ctx.flags;
  in.sender = ctx.sender;
  in.recipients = ctx.recipients;
  in.lines = &ctx.lines.lines;
  in.headers = ctx.headers;
  OriginEnv env;
  env.debug = s.Debug;
  env.log = [&](char t, const std::string& m) { ctx.Log(t, m); };
  env.is_local = [&](const std::string& a) { return host.IsLocal(a); };
  env.acl_matches = [&](const std::string& ip) {
    return AclMatches(ip, s.LocalIP, s.DynamicHost, ResolveIPv4);
  };
  const OriginResult origin = AnalyseOrigin(in, env);
  if (origin.ends_call) return 0;
  ctx.local_sender = origin.local_sender;
  ctx.need_test = origin.need_test;
  ctx.pop3 = origin.pop3;
  ctx.sender = origin.sender;

  // Local mail between local mailboxes needs nothing.
  if (ctx.local_sender && !ctx.need_test && !ctx.correction) {
    bool all_local = true;
    for (const auto& r : ctx.recipients) all_local = all_local && host.IsLocal(r);
    if (all_local) return 0;
  }

  std::string line = "from: " + ctx.sender;
  for (const auto& r : ctx.recipients) line += " to: " + r;
  ctx.Log(' ', line);
  ctx.Debug(ctx.local_sender ? "> Local sender" : "> Internet sender");
  ctx.Debug(ctx.need_test ? "> Need to test" : "> for Whitelist");
  if (ctx.test_only) ctx.Debug("> SpamTest detected!");

  if (ctx.correction) {
    if (ctx.local_sender || ctx.correction_by_password) {
      if (ctx.correction_by_password) ctx.Log('P', "Correction enabled by password");
      const std::string path = StoreCorrectionRequest(ctx.correction_dir, ctx.lines.lines);
      ctx.Log('_', "Correction request saved as: " + path);
    } else {
      const std::string msg = "Correction from non-local sender!";
      ctx.Log('E', msg);
      host.HostLog(20, g_version + " - " + msg + " " + ctx.sender);
    }
    return 1;
  }

  PeriodCheck(s.bayDataDir, g_version, s.StatRate, s.bayForcedWrites);
  ctx.list_db = OpenListDb(s.bayDataDir, s.bayForcedWrites);
  DoneLine done(ctx, start);

  if (!ctx.test_only && !s.IgnoreWhite && ctx.local_sender)
    LearnOutbound(ctx.sender, ctx.recipients, *ctx.list_db, s.bayDataDir,
                  [&](const std::string& a) { return host.IsLocal(a); },
                  [&](char t, const std::string& m) { ctx.Log(t, m); });

  if (!ctx.need_test && !ctx.test_only) return 0;
  if (ctx.recipients.size() == 1 &&
      MatchesPatternFile(ctx.recipients[0], JoinPath(s.bayDataDir, kExcludeFile))) {
    ctx.Log('I', "Receiver excluded");
    return 0;
  }

  ctx.words_db = OpenWordsDb(s.bayDataDir, s.bayForcedWrites);
  try {
    RunCorrectionBatches(ctx);
  } catch (const std::exception& e) {
    ctx.Log('!', std::string("Correction: ") + e.what());
    host.HostLog(5, g_version + " - Correction CRASH: " + e.what());
  }
  CleanDatabasesIfDue(s, *ctx.words_db, *ctx.list_db,
                      [&](char t, const std::string& m) { ctx.Log(t, m); });
  ClassifyAndLearn(ctx);
  return 0;
}

void ReportError(const DaemonContext& ctx, const std::string& message) {
  try {
    ctx.Log('!', message);
    ctx.host->HostLog(5, g_version + " - ERROR: " + message);
  } catch (...) {
  }
}

short Daemon(void* job, const void* block, const char* param) {
  HostApi host;
  if (!host.Copy(block) || !host.InterfaceOk()) return 0;
  const uint64_t start = TickMs();
  const std::string instance = InstanceName(param);
  const std::string base = host.QueryHostValue(8);
  LoadSettings(g_settings, base, instance, host.QueryHostValue(1), !host.JobFileInterface());
  if (g_settings.Queue.empty()) g_settings.Queue = g_settings.DefaultQueue;
  if (!g_settings.Enabled) return 0;

  DaemonContext ctx;
  ctx.host = &host;
  ctx.settings = &g_settings;
  ctx.job = job;
  ctx.start_ms = start;
  ctx.host_name = host.QueryHostValue(3);
  if (ctx.host_name.empty()) ctx.host_name = "-unknown-";
  const JobInfo info = host.ReadJobInfo(job);
  ctx.flags = info.flags;
  ctx.sender = info.sender;
  ctx.job_id = info.job_id;

  if (ctx.flags & hostif::kFlagNoFilter) {
    ctx.Debug("JF_NOFILTER");
    return 0;
  }
  if (!DirectoryExists(g_settings.bayDataDir)) {
    ctx.Log('?', "BayDataDir invalid!");
    return 0;
  }
  if (host.JobFileInterface()) {
    ctx.message_path = host.JobFilePath(job);
    ctx.Debug("Corvane version >= 4.1");
  } else {
    ctx.message_path = JoinPath(g_settings.Queue, ctx.job_id + ".QDF");
  }
  ctx.Debug("jobfile: " + ctx.message_path);

  short result = 0;
  try {
    ctx.spam_dir = host.MailboxOf(g_settings.SpamAddr);
    ctx.nospam_dir = host.MailboxOf(g_settings.NoSpamAddr);
    ctx.Debug("spamdir: " + ctx.spam_dir);
    ctx.Debug("nospamdir: " + ctx.nospam_dir);
    CreateDatabases(g_settings.bayDataDir);
  } catch (const std::exception& e) {
    ReportError(ctx, e.what());
    return 0;
  }

  try {
    result = Process(ctx, start);
  } catch (const std::exception& e) {
    ReportError(ctx, e.what());
    result = 0;
  } catch (...) {
    ReportError(ctx, "Unknown exception");
    result = 0;
  }
  // Close the databases before the job goes back to the host.
  ctx.words_db.reset();
  ctx.list_db.reset();
  if (host.JobFileInterface()) host.ReleaseJob(job);
  return result;
}
}  // namespace

void DaemonContext::Log(char type, const std::string& message) const {
  WriteLog(settings->LogFile, type, job_id, message);
}

void DaemonContext::Debug(const std::string& message) const {
  if (settings->Debug) Log('D', message);
}

const std::string& VersionText() { return g_version; }

short RunDaemon(void* job, const void* block, const char* param) noexcept {
  try {
    return Daemon(job, block, param);
  } catch (...) {
    return 0;
  }
}

short RunStartup(const void* block) noexcept {
  try {
    g_version = "Chaffguard " + PluginFileVersion();
    if (block) {
      auto log = hostif::LoadFn<hostif::HostLogFn>(static_cast<const unsigned char*>(block),
                                                   hostif::kHostLog);
      if (log) log(0, 5, (g_version + " started").c_str());
    }
  } catch (...) {
  }
  return 1;
}

short RunConfigure(const void* block, const char* param) noexcept {
  try {
    HostApi host;
    if (!host.Copy(block) || !host.InterfaceOk()) return 1;
    const std::string instance = InstanceName(param);
    LoadSettings(g_settings, host.QueryHostValue(8), instance, host.QueryHostValue(1),
                 !host.JobFileInterface());
    // The configuration dialog is not part of this build yet: nothing is shown
    // and nothing is stored.
  } catch (...) {
  }
  return 1;
}

}  // namespace chaffguard
