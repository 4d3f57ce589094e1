// Times the token list and the splitter on synthetic message bodies: for each
// body size, a body of that many bytes made of distinct words (the worst case
// for the lazily sorted list) and one of natural repetition.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "token_split.h"

using namespace chaffguard::mime;

static std::string Body(std::size_t bytes, int vocabulary, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < bytes) {
    const int w = static_cast<int>(rng() % static_cast<unsigned>(vocabulary));
    s += "w" + std::to_string(w * 7919 % 1000003) + (rng() % 9 == 0 ? "\r\n" : " ");
  }
  s.resize(bytes);
  return s;
}

static double MicrosecondsPerMessage(const std::string& body, int rounds, int* distinct,
                                     TmwQuickAndDirtyHashStrings::InsertPolicy policy) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) {
    TmwQuickAndDirtyHashStrings list(policy);
    TokenizeText(body, "", TokenMode::kCounting, TokenLimits{}, list);
    TokenizeText(StripHtmlTags(RemoveHtmlComments(body)), "", TokenMode::kNoIncrement,
                 TokenLimits{}, list);
    *distinct = list.Count();
  }
  const auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::micro>(t1 - t0).count() / rounds;
}

int main() {
  using Policy = TmwQuickAndDirtyHashStrings::InsertPolicy;
  std::printf("%-8s %-10s %9s %18s %18s\n", "bytes", "words", "distinct",
              "lazy resort us/msg", "keep sorted us/msg");
  for (std::size_t bytes : {1024u, 4096u, 8192u}) {
    for (int vocabulary : {100, 1000000}) {
      int distinct = 0;
      const std::string body = Body(bytes, vocabulary, 42);
      const int rounds = bytes >= 8192 && vocabulary > 1000 ? 20 : 200;
      const double lazy = MicrosecondsPerMessage(body, rounds, &distinct, Policy::kLazyResort);
      const double kept = MicrosecondsPerMessage(body, rounds, &distinct, Policy::kKeepSorted);
      std::printf("%-8zu %-10s %9d %18.1f %18.1f\n", bytes,
                  vocabulary == 100 ? "repeated" : "distinct", distinct, lazy, kept);
    }
  }
  return 0;
}
