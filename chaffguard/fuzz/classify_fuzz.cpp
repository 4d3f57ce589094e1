// libFuzzer target over the classify stage of one message: decode (with the
// image library when present), header filter, tokenize, look the tokens up in
// a small seeded words database, classify, mark and save.
// Built only with the fuzz preset (clang, ASan, UBSan); run by tools/fuzz.
//
// Input layout: byte 0 picks the settings variant (token length limits,
// body limit, custom headers, subject tag, image parser, tokens scored), the
// rest is the message. Checks that must hold abort when they do not. The
// seeds (fuzz/seeds) are a settings byte followed by a message: five from the
// public spam corpus of bench/chaffguard and one made here with attachments.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BayPre.h"
#include "bayes4.h"
#include "baymark.h"
#include "bayscore.h"
#include "baytokens.h"
#include "clock.h"
#include "msgsave.h"
#include "mystrlist.h"
#include "settings.h"

using namespace chaffguard;

namespace {

void CheckAt(bool ok, int line) {
  if (!ok) {
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
  }
}
#define Check(condition) CheckAt((condition), __LINE__)

// The words database and the message file, made once per process in a
// private temporary folder (removed at exit).
struct Fixture {
  std::filesystem::path dir;
  std::unique_ptr<TSQLiteDatabase> words;
  std::string message_path;

  Fixture() {
    char name[] = "/tmp/cg-classify-fuzz-XXXXXX";
    const char* made = mkdtemp(name);
    if (made == nullptr) std::abort();
    dir = made;
    CreateDatabases(dir.string());
    words = OpenWordsDb(dir.string(), false);
    // Known tokens: spam, good and huge counts (their products with a
    // token's count in a message leave the 32-bit range).
    std::vector<TokenRecord> seed;
    const struct { const char* word; int64_t spam, good; } known[] = {
        {"free", 40, 2},        {"money", 25, 0},      {"FREE", 3, 1},     {"the", 500, 700},
        {"su*hello", 0, 9},     {"fr*example.com", 1, 30}, {"click", 2000000000, 1},
        {"meeting", 1, 2000000000}, {"it*PNG", 5, 5},  {"iw*7", 7, 0},     {"html", 12, 3},
    };
    for (const auto& k : known) {
      TokenRecord r;
      r.word = k.word;
      r.hash = mime::TmwQuickAndDirtyHashStrings::HashOf(r.word);
      r.spam = k.spam;
      r.nospam = k.good;
      seed.push_back(r);
    }
    WriteTokenList(*words, seed, Now());
    message_path = (dir / "job.msg").string();
  }
  ~Fixture() {
    words.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

Settings SettingsFor(std::uint8_t v) {
  Settings s;
  s.bayMinTokenLength = 1 + (v & 3);
  s.bayMaxTokenLength = (v & 4) ? 20 : 5;
  s.bayMaxLength = (v & 8) ? 8192 : 300;
  s.CustomHeaders = (v & 16) ? "X-Mailer,Reply-To,Sender" : "";
  s.Subject = (v & 32) ? "SPAM" : "";
  s.ImageParser = (v & 64) != 0;
  s.bayClasifyMaxTokens = (v & 128) ? 5 : 25;
  return s;
}

bool IsReceiptHeader(const std::string& line) {
  std::string up;
  for (char c : line.substr(0, 20)) up += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return up.starts_with("X-CONFIRM-READING-TO") || up.starts_with("X-VTRQC") ||
         up.starts_with("RETURN-RECEIPT-TO");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  if (size < 1) return 0;
  const Settings s = SettingsFor(data[0]);
  TMyStringList message;
  message.SetText(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  std::vector<std::string>& lines = message.lines;

  mime::TmwQuickAndDirtyHashStrings tokens;
  MimeWalkOptions options;
  options.image_parser = s.ImageParser;
  TokenizeMessage(DecodedFilteredText(lines, s, options, tokens), s, tokens);
  LookupTokens(tokens, *fixture.words, s);
  for (int i = 0; i < tokens.Count(); ++i) {
    Check(!tokens[i].Key.empty());
    Check(tokens[i].Count >= 1);
    Check(tokens[i].Probability > 0 && tokens[i].Probability < 1);
    Check(tokens[i].Interest >= 0 && tokens[i].Interest <= 0.5L);
  }

  std::vector<std::string> debug;
  const long double score = Classify(tokens, s.bayClasifyMaxTokens, &debug);
  Check(!std::isnan(score) && score >= 0 && score <= 1);
  const bool spam = IsSpamScore(score, s);
  Check(debug.size() == (tokens.Count() == 0 ? 0u : std::min<std::size_t>(tokens.Count(), s.bayClasifyMaxTokens) + 1));

  for (auto it = debug.rbegin(); it != debug.rend(); ++it) InsertTopLine(lines, s.TagName, s.DebugText + " " + *it);
  if (spam) InsertTopLine(lines, s.TagName, s.SpamText);
  InsertTopLine(lines, s.TagName, s.ProbText + " " + FormatFixed(score * 100, 1) + "%");
  if (spam || !s.Subject.empty()) {
    TagSubject(lines, s.Subject);
    const std::vector<std::string> once = lines;
    TagSubject(lines, s.Subject);
    Check(lines == once);  // never tagged twice
    RemoveReadReceipts(lines);
    for (const auto& l : lines) {
      if (l.empty()) break;
      Check(!IsReceiptHeader(l));
    }
  }
  ReplaceFileLines(fixture.message_path, lines);
  return 0;
}
