// DAEMON: the plug-in's host interface: the per-call state of one job and the
// flow of one DAEMON call, plus the other three entry points' logic. The C
// exports themselves live in exports.cpp.
//
//   RunDaemon(job, block, param)   processes one job; 1 when it was addressed to
//       a correction mailbox (request saved or refused), else 0. Never throws.
//   RunStartup(block), RunConfigure(block, param)   always 1. Never throw.
//   VersionText()      "Chaffguard " + file version once STARTUP ran, before
//                      that "Chaffguard x.x.x"
//   ClassifyAndLearn(ctx)  the classify-and-learn stage that ends a call which
//       needs testing (decode, tokens, verdict, marking, learning, saving the
//       message file): see classify_stage.cpp
//   RunCorrectionBatches(ctx)  the two correction batches before it
//       (correction_batch.cpp); an invalid correction address is reported there,
//       the waiting requests go to TrainCorrectionRequests (correction_batch.cpp)
//
// Exceptions inside the processing are logged (type "!") and sent to the
// host's log; ReleaseJob is always called for job-file hosts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "SQLiteWrap.h"
#include "hostapi.h"
#include "mystrlist.h"
#include "origin.h"
#include "settings.h"

namespace chaffguard {

// Per-call state of one DAEMON call.
struct DaemonContext {
  HostApi* host = nullptr;
  const Settings* settings = nullptr;
  void* job = nullptr;
  std::string job_id;
  uint32_t flags = 0;
  std::string sender;
  std::string host_name;
  std::string message_path;
  std::string spam_dir, nospam_dir;
  std::vector<std::string> recipients;
  HeaderFacts headers;
  bool local_sender = false, need_test = false, test_only = false, honeypot = false;
  bool correction = false, correction_by_password = false, pop3 = false;
  std::string correction_dir;
  TMyStringList lines;
  std::unique_ptr<TSQLiteDatabase> list_db;
  std::unique_ptr<TSQLiteDatabase> words_db;
  uint64_t start_ms = 0;  // TickMs() when the call began
  long double score = 0;
  bool spam = false;

  void Log(char type, const std::string& message) const;
  void Debug(const std::string& message) const;
};

short RunDaemon(void* job, const void* block, const char* param) noexcept;
short RunStartup(const void* block) noexcept;
short RunConfigure(const void* block, const char* param) noexcept;

const std::string& VersionText();
// The plug-in's file version as "a.b.c.d" (from its version resource on Windows).
std::string PluginFileVersion();

void RunCorrectionBatches(DaemonContext& ctx);
void TrainCorrectionRequests(DaemonContext& ctx, const std::string& dir, bool to_spam);
void ClassifyAndLearn(DaemonContext& ctx);

}  // namespace chaffguard
