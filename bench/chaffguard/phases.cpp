// Per-message cost of each stage of the plug-in's classify-and-learn call, on
// real message files: decode, tokenize, look-up, learn, save. Runs the same
// library functions in the same order as a DAEMON call that needs testing,
// with the default settings and both databases opened per message, and prints
// the mean time of each stage.
//
// Usage: chaffguard-phases DATA_DIR MESSAGE_FILE...
//   DATA_DIR holds words4.db3/white4.db3 (made when missing); each message file
//   is copied to DATA_DIR/job.msg and saved there.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BayPre.h"
#include "bayes4.h"
#include "baylearn.h"
#include "baymark.h"
#include "bayscore.h"
#include "baytokens.h"
#include "cgtext.h"
#include "clock.h"
#include "msgsave.h"
#include "mystrlist.h"
#include "settings.h"

namespace {

using Clock = std::chrono::steady_clock;

enum Stage { kLoad, kDecode, kTokenize, kLookup, kClassify, kLearn, kSave, kStages };
const char* const kNames[kStages] = {"load + open", "decode", "tokenize", "look-up",
                                      "classify + mark", "learn", "save"};

}  // namespace

int main(int argc, char** argv) {
  using namespace chaffguard;
  if (argc < 3) {
    std::fprintf(stderr, "usage: chaffguard-phases DATA_DIR MESSAGE_FILE...\n");
    return 2;
  }
  const std::string dir = WithTrailingSep(argv[1]);
  CreateDatabases(dir);
  Settings s;  // every setting at its default
  s.bayDataDir = dir;
  const std::string job = dir + "job.msg";

  double total[kStages] = {};
  long tokens_total = 0;
  int spam = 0;
  const int messages = argc - 2;
  for (int m = 2; m < argc; ++m) {
    std::filesystem::copy_file(argv[m], job, std::filesystem::copy_options::overwrite_existing);
    auto t = Clock::now();
    auto lap = [&](Stage stage) {
      const auto now = Clock::now();
      total[stage] += std::chrono::duration<double>(now - t).count();
      t = now;
    };
    TMyStringList list;
    list.LoadFromFile(job);
    auto list_db = OpenListDb(dir, s.bayForcedWrites);
    auto words_db = OpenWordsDb(dir, s.bayForcedWrites);
    lap(kLoad);

    mime::TmwQuickAndDirtyHashStrings tokens;
    std::vector<std::string> copy = list.lines;
    MimeWalkOptions options;
    options.image_parser = s.ImageParser;
    DecodeMessage(copy, tokens, options);
    lap(kDecode);

    copy = FilterHeaders(copy, s);
    std::string text;
    for (const auto& l : copy) (text += l) += "\r\n";
    TokenizeMessage(text, s, tokens);
    lap(kTokenize);

    WriteGroup group(*words_db);
    LookupTokens(tokens, *words_db, s);
    lap(kLookup);

    const long double score = Classify(tokens, s.bayClasifyMaxTokens, nullptr);
    const bool is_spam = IsSpamScore(score, s);
    if (is_spam) {
      InsertTopLine(list.lines, s.TagName, s.SpamText);
      TagSubject(list.lines, s.Subject);
      RemoveReadReceipts(list.lines);
    }
    InsertTopLine(list.lines, s.TagName, s.ProbText + " " + FormatFixed(score * 100, 1) + "%");
    lap(kClassify);

    LearnFromVerdict(tokens, is_spam, *words_db, s, Now());
    group.Commit();
    lap(kLearn);

    ReplaceFileLines(job, list.lines);
    lap(kSave);

    tokens_total += tokens.Count();
    spam += is_spam ? 1 : 0;
  }
  double sum = 0;
  for (double v : total) sum += v;
  std::printf("\nper-message split over %d messages (%.0f tokens each on average, %d judged spam):\n",
              messages, static_cast<double>(tokens_total) / messages, spam);
  for (int i = 0; i < kStages; ++i)
    std::printf("  %-16s %8.3f ms  %5.1f %%\n", kNames[i], 1000 * total[i] / messages,
                100 * total[i] / sum);
  std::printf("  %-16s %8.3f ms\n", "all stages", 1000 * sum / messages);
  return 0;
}
