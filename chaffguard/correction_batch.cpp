// The correction batches of a DAEMON call: the spam mailbox first (target
// spam), then the good-mail mailbox (target good). An address that names no
// local mailbox is reported at every batch; the requests of a valid mailbox
// are trained by RunCorrectionBatch (see corrections.h).
#include <algorithm>
#include <filesystem>

#include "DAEMON.h"
#include "bayes4.h"
#include "baylearn.h"
#include "bayscore.h"
#include "baytokens.h"
#include "cgtext.h"
#include "clock.h"
#include "corrections.h"
#include "origin.h"
#include "stats.h"

namespace chaffguard {

namespace {
std::string PercentText(double fraction) {
  return std::to_string(static_cast<long long>(fraction * 100 + (fraction < 0 ? -0.5 : 0.5)));
}

// Whitelist moves for good mail, blacklist moves for spam.
void MoveAddresses(const std::vector<std::string>& lines, bool to_spam, const CorrectionEnv& env,
                   const LocalDateTime& today) {
  TSQLiteDatabase& db = *env.list_db;
  WriteGroup group(db);  // one commit for all moves of this request
  for (const auto& a : CollectCorrectionAddresses(lines)) {
    if (a.empty() || env.is_local(a)) continue;
    if (!to_spam) {
      if (AddOrConfirm(db, kWhiteList, a, today)) env.log('A', "WH+: " + a);
      if (IsListed(db, kBlackList, a)) {
        RemoveListed(db, kBlackList, a);
        env.log('R', "BL-: " + a);
      }
    } else {
      if (IsListed(db, kWhiteList, a)) {
        RemoveListed(db, kWhiteList, a);
        env.log('R', "WH-: " + a);
      }
      if (AddOrConfirm(db, kBlackList, a, today)) env.log('A', "BL+: " + a);
    }
  }
  group.Commit();
}

void TrainRequest(const std::string& path, bool to_spam, const CorrectionEnv& env) {
  const Settings& s = *env.settings;
  env.log('C', std::filesystem::path(path).filename().string());
  TMyStringList request;
  request.LoadFromFile(path);
  auto& lines = request.lines;
  RemoveSubjectTag(lines, s.Subject);
  const LocalDateTime today = Now();
  if (!s.IgnoreWhite) MoveAddresses(lines, to_spam, env, today);

  mime::TmwQuickAndDirtyHashStrings tokens;
  const std::string text = DecodedFilteredText(lines, s, env.decode, tokens);
  env.log('C', "from: " + ReadHeaderFacts(lines, "").from_address);
  TokenizeMessage(text, s, tokens);
  LookupTokens(tokens, *env.words_db, s);

  RoundsResult r;
  if (tokens.Count() == 0) {
    env.log('C', "Without tokens!");
  } else {
    r = TrainUntilAgreed(tokens, to_spam, s);
    if (r.rounds > 0) {
      env.log('C', "Rounds: " + std::to_string(r.rounds));
    } else {
      env.log('C', "Not needed!");
      TrainTokens(tokens, to_spam, std::clamp(s.bayNoSpamBoost, 1, 5), false);
    }
    const std::string stopped = "Stopped after round " + std::to_string(r.rounds) + ": ";
    if (r.unreachable) env.log('C', stopped + "baySpamProb " + PercentText(s.baySpamProb) + " cannot be reached");
    if (r.capped) env.log('C', stopped + "no agreement");
  }
  WriteTokenList(*env.words_db, TokenRecords(tokens), today);
  if (r.rounds > 0) CountEvent(s.bayDataDir, env.version, to_spam ? kStatMissedSpam : kStatFalsePositive);
}
}  // namespace

std::vector<std::string> ListCorrectionFiles(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const auto& p = it->path();
    if (Lower(p.extension().string()) != ".cnm" || !it->is_regular_file(ec)) continue;
    out.push_back(p.string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

int RunCorrectionBatch(const std::string& dir, bool to_spam, const CorrectionEnv& env) {
  // Nearly always the mailbox is empty: then no lock is taken. Otherwise the
  // files are listed again under the lock, so that of two processes only the
  // first trains a request (the second finds it gone).
  if (ListCorrectionFiles(dir).empty()) return 0;
  WriteGroup transaction(*env.words_db);
  const auto files = ListCorrectionFiles(dir);
  if (!files.empty()) env.log('C', to_spam ? "corrections to SPAM" : "corrections to NoSPAM");
  int processed = 0;
  for (const auto& path : files) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) TrainRequest(path, to_spam, env);
    ++processed;
    std::filesystem::remove(path, ec);
    if (processed > env.settings->bayMaxCorrCnt) break;
  }
  transaction.Commit();
  return processed;
}

void TrainCorrectionRequests(DaemonContext& ctx, const std::string& dir, bool to_spam) {
  CorrectionEnv env;
  env.settings = ctx.settings;
  env.words_db = ctx.words_db.get();
  env.list_db = ctx.list_db.get();
  env.is_local = [&ctx](const std::string& a) { return ctx.host->IsLocal(a); };
  env.log = [&ctx](char t, const std::string& m) { ctx.Log(t, m); };
  env.version = VersionText();
  env.decode.image_parser = ctx.settings->ImageParser;
  RunCorrectionBatch(dir, to_spam, env);
}

void RunCorrectionBatches(DaemonContext& ctx) {
  struct Batch { const std::string& dir; bool to_spam; const char* invalid; };
  const Batch batches[] = {{ctx.spam_dir, true, "SPAM correction address is invalid!"},
                           {ctx.nospam_dir, false, "NoSPAM correction address is invalid!"}};
  for (const auto& b : batches) {
    if (b.dir.empty()) {
      ctx.Log('?', b.invalid);
      ctx.host->HostLog(5, VersionText() + " - " + b.invalid);
      continue;
    }
    TrainCorrectionRequests(ctx, b.dir, b.to_spam);
  }
}

}  // namespace chaffguard
