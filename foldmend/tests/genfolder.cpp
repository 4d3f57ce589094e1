// genfolder DIR BASE COUNT [SIZE [DUPS [SEED [DAMAGE]]]]
// Writes DIR/BASE.VTM and .VTI with COUNT messages of about SIZE bytes each;
// every DUPS-th record (0: none) repeats an earlier ID; DAMAGE names one of
// none, sequence, bounds, ctrlz, dupids, nul, doublez, truncated.
// Used by the program tests and by the benchmark.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "fixture.h"

using namespace foldmend_test;

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: genfolder DIR BASE COUNT [SIZE [DUPS [SEED [DAMAGE]]]]\n");
    return 2;
  }
  std::string dir = argv[1], base = argv[2];
  long count = std::atol(argv[3]);
  long size = argc > 4 ? std::atol(argv[4]) : 200;
  long dups = argc > 5 ? std::atol(argv[5]) : 0;
  unsigned seed = argc > 6 ? static_cast<unsigned>(std::atol(argv[6])) : 1;
  std::string dmg = argc > 7 ? argv[7] : "none";
  Damage d = dmg == "sequence" ? Damage::kBadSequence
             : dmg == "bounds" ? Damage::kOffsetOutOfBounds
             : dmg == "ctrlz" ? Damage::kMissingCtrlZ
             : dmg == "dupids" ? Damage::kDuplicateIds
             : dmg == "nul" ? Damage::kNulBytes
             : dmg == "doublez" ? Damage::kDoubledCtrlZ
             : dmg == "truncated" ? Damage::kTruncatedIndex
                                  : Damage::kNone;
  std::mt19937 gen(seed);
  std::vector<Message> msgs;
  msgs.reserve(static_cast<std::size_t>(count));
  for (long i = 0; i < count; ++i) {
    std::string body;
    while (static_cast<long>(body.size()) < size) body += "Line of text number " + std::to_string(gen() % 1000) + ".\r\n";
    std::string id = "G" + std::to_string(i) + ".CNM";
    if (dups > 0 && i > 0 && i % dups == 0) id = "G" + std::to_string(gen() % i) + ".CNM";
    std::uint32_t flags = (gen() % 10 == 0) ? 0x00040000u : 0u;
    msgs.push_back({SimpleMessage("Subject " + std::to_string(i), body), flags, id});
  }
  WriteFolder(dir, base, msgs, d);
  return 0;
}
