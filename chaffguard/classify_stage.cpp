// The classify-and-learn stage of a DAEMON call: decode a copy of the message,
// tokenize it, look the tokens up, settle the verdict with the address lists
// and the rule shortcuts, mark the message, learn from the verdict (outside
// test-only mode) and save it.
#include <memory>
#include <optional>

#include "BayPre.h"
#include "DAEMON.h"
#include "bayes4.h"
#include "baylearn.h"
#include "baymark.h"
#include "bayscore.h"
#include "baytokens.h"
#include "cgtext.h"
#include "clock.h"
#include "msgsave.h"
#include "patterns.h"
#include "stats.h"

namespace chaffguard {

namespace {

bool Listed(DaemonContext& ctx, int kind, const std::string& a) {
  return !a.empty() && IsListed(*ctx.list_db, kind, a);
}

}  // namespace

void ClassifyAndLearn(DaemonContext& ctx) {
  const Settings& s = *ctx.settings;
  auto& lines = ctx.lines.lines;
  if (ctx.test_only) ctx.Log('T', "Testing only!");

  // Tokens of a decoded copy.
  mime::TmwQuickAndDirtyHashStrings tokens;
  MimeWalkOptions options;
  options.image_parser = s.ImageParser;
  const std::string text = DecodedFilteredText(lines, s, options, tokens);
  ctx.Debug("before parse");
  TokenizeMessage(text, s, tokens);
  ctx.Debug("before lookup");
  // A message that will be learnt holds the words database's write lock from
  // its look-up to its write: counts read here are the counts written back.
  std::optional<WriteGroup> learning;
  if (!ctx.test_only) learning.emplace(*ctx.words_db);
  LookupTokens(tokens, *ctx.words_db, s);
  ctx.Log(' ', "Tokens: " + std::to_string(tokens.Count()));

  ctx.sender = PlainAddress(ctx.sender);
  const std::string& sender = ctx.sender;
  const HeaderFacts& h = ctx.headers;

  bool white = false;
  if (!s.IgnoreWhite) {
    ReadTransaction lists(*ctx.list_db);  // one lock of the file for all look-ups
    if (Listed(ctx, kBlackList, sender) || Listed(ctx, kBlackList, h.sender_address) ||
        Listed(ctx, kBlackList, h.from_address)) {
      ctx.Log('L', "Is on BL...");
    } else {
      white = Listed(ctx, kWhiteList, sender) || Listed(ctx, kWhiteList, h.sender_address) ||
              Listed(ctx, kWhiteList, h.from_address);
    }
  }
  if (sender.empty()) white = false;
  if (!white && !sender.empty() && MatchesPatternFile(sender, JoinPath(s.bayDataDir, kWhiteFile))) {
    white = true;
    ctx.Log('W', "is on cgwhite.txt");
  }

  const std::string& tag = s.TagName;
  const std::string version = VersionText();
  std::vector<std::string> debug;
  if (white && !ctx.test_only && !h.blocked && !ctx.honeypot) {
    ctx.Log('W', "is on WH...");
    if (!s.WhitelistText.empty()) InsertTopLine(lines, tag, s.WhitelistText);
    ctx.score = 0;
    ctx.spam = false;
    CountEvents(s.bayDataDir, version, {kStatWhitelisted, kStatNoSpam});
  } else {
    std::string faked;
    if (!ctx.test_only) {
      for (const std::string* a : {&sender, &h.sender_address, &h.from_address})
        if (!a->empty() && ctx.host->IsFaked(*a)) {
          faked = *a;
          break;
        }
    }
    if (!ctx.test_only && h.blocked) {
      ctx.Log('B', "is on SMTP blacklist...");
      CountEvent(s.bayDataDir, version, kStatBlockedSpam);
      if (!s.BlockText.empty()) InsertTopLine(lines, tag, s.BlockText);
      ctx.score = 1.0L;
      ctx.spam = true;
    } else if (!ctx.test_only && ctx.honeypot) {
      ctx.Log('H', "match HoneyPot!");
      ctx.score = 1.0L;
      ctx.spam = true;
    } else if (!faked.empty()) {
      ctx.Log('F', "faked sender " + faked);
      ctx.score = 1.0L;
      ctx.spam = true;
    } else {
      ctx.score = Classify(tokens, s.bayClasifyMaxTokens, &debug);
      ctx.spam = IsSpamScore(ctx.score, s);
    }
    if (!ctx.test_only) CountEvent(s.bayDataDir, version, ctx.spam ? kStatSpam : kStatNoSpam);
  }

  if (s.BayDebug && !s.DebugText.empty())
    for (auto it = debug.rbegin(); it != debug.rend(); ++it) InsertTopLine(lines, tag, s.DebugText + " " + *it);
  ctx.Log(ctx.spam ? 'S' : 'N', (ctx.spam ? "SPAM! " : "noSPAM ") + FormatFixed(ctx.score, 4));
  if (learning) {
    LearnFromVerdict(tokens, ctx.spam, *ctx.words_db, s, Now());
    learning->Commit();
  }
  if (ctx.spam) {
    if (s.SpamTrack)
      for (const auto& r : ctx.recipients) CountSpamForRecipient(s.bayDataDir, r);
    if (!s.SpamText.empty()) InsertTopLine(lines, tag, s.SpamText);
  }
  if (!s.ProbText.empty()) InsertTopLine(lines, tag, s.ProbText + " " + FormatFixed(ctx.score * 100, 1) + "%");
  InsertTopLine(lines, tag,
                "Passed through antiSPAM test by " + version + " on " + ctx.host_name + " (" +
                    std::to_string(TickMs() - ctx.start_ms) + ")");
  if (ctx.spam) {
    TagSubject(lines, s.Subject);
    RemoveReadReceipts(lines);
  }
  ReplaceFileLines(ctx.message_path, lines);
}

}  // namespace chaffguard
