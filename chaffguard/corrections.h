// Correction requests: the batch that trains the waiting requests of one
// correction mailbox until the classifier agrees with them, and moves the
// addresses they name between the whitelist and the blacklist.
//
//   RunCorrectionBatch(dir, to_spam, env)
//       nothing when `dir` holds no request; otherwise under one words
//       transaction ("BEGIN IMMEDIATE" ... "COMMIT", committed also when an
//       error leaves the batch): lists the files "*.cnm" of `dir`
//       (extension in any case, by name), logs "C" "corrections to SPAM" /
//       "corrections to NoSPAM" when there is one, and per file: "C" + file
//       name, subject tag removed, address list moves (unless IgnoreWhite),
//       "C" "from: " + From-header address, token list, training rounds,
//       write, missed-spam / false-positive statistics, delete. Stops once
//       more than bayMaxCorrCnt files were processed. Returns that number.
//       Errors (database, file, statistics) propagate to the caller.
//   ListCorrectionFiles(dir)   full paths, sorted by name
//   RemoveSubjectTag(lines, tag)  in each raw header line starting with
//       "SUBJECT" (any case) the first "[tag]" is cut out; empty tag: nothing
//   CollectCorrectionAddresses(lines)
//       plain, lower-cased values of the Return-Path, From, Sender,
//       Resent-From and Reply-To headers (unfolded), then from the empty line
//       after the headers up to line index kAddressScanLastLine every run of
//       address characters with exactly one "@" whose domain holds a "." and
//       no "..", lower-cased. Duplicates are kept (the moves are idempotent).
//   TrainUntilAgreed(list, to_spam, s, max_passes)
//       the rounds loop: while (score > baySpamProb) differs from `to_spam`,
//       train with the step (subtracting from the other class once rounds >
//       10), recompute, rounds += step; the step grows to 10, 100, 1000, 10000
//       once rounds pass 10, 100, 1000, 10000. A target the threshold makes
//       unreachable (towards spam with baySpamProb >= 100, towards good mail
//       with baySpamProb <= 0: the score of a trained list lies strictly
//       between 0 and 1) stops after its first round; any request stops after
//       `max_passes` rounds.
//
// Log lines of the rounds: "C" "Rounds: " + n, or "C" "Not needed!" (then the
// tokens are trained with bayNoSpamBoost, kept within 1 to 5); a stopped
// request adds "C" "Stopped after round <n>: baySpamProb <p> cannot be
// reached" or "C" "Stopped after round <n>: no agreement".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "BayPre.h"
#include "SQLiteWrap.h"
#include "mwQuickAndDirtyHashStrings.h"
#include "pluglog.h"
#include "settings.h"

namespace chaffguard {

inline constexpr size_t kAddressScanLastLine = 100;
inline constexpr int kMaxCorrectionPasses = 60;

struct CorrectionEnv {
  const Settings* settings = nullptr;
  TSQLiteDatabase* words_db = nullptr;
  TSQLiteDatabase* list_db = nullptr;
  std::function<bool(const std::string&)> is_local;
  LogFn log;
  std::string version;  // written into the statistics files
  MimeWalkOptions decode;
};

struct RoundsResult {
  long long rounds = 0;
  int passes = 0;
  bool unreachable = false;  // stopped: the threshold cannot be reached
  bool capped = false;       // stopped: max_passes reached
};

int RunCorrectionBatch(const std::string& dir, bool to_spam, const CorrectionEnv& env);
std::vector<std::string> ListCorrectionFiles(const std::string& dir);
void RemoveSubjectTag(std::vector<std::string>& lines, const std::string& tag);
std::vector<std::string> CollectCorrectionAddresses(const std::vector<std::string>& lines);
RoundsResult TrainUntilAgreed(mime::TmwQuickAndDirtyHashStrings& list, bool to_spam, const Settings& s,
                              int max_passes = kMaxCorrectionPasses);

}  // namespace chaffguard
