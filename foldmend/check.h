// Consistency check of a folder: reads the index record by record and one
// byte of the master per message; changes nothing.
//
//   check_folder(ctx, path, line)   status 0..9 and its result line:
//     0 sound, 1 master not opened (#009), 2 index not opened (#010),
//     3 index length not a multiple of 118 (#011), 4 short record (#012),
//     5 wrong sequence (#013), 6 offset out of bounds (#014), 7 seek failure
//     (#015), 8 byte before a message not Ctrl+Z (#016), 9 duplicate IDs
//     (#017, exact comparison). Emits only the "expected Ctrl+Z" detail line
//     and the duplicate-ID warnings.
//   check_matching(ctx, path)       every match of a wildcard path, stopping
//     at the first folder with a non-zero status; returns that status, 0, or
//     1 when nothing matched ("#041").
//
// Duplicate IDs are found with a hash set, so the cost is linear in the
// number of records; the lines come out as a walk over the earlier IDs
// would give them.
//
// MasterNotes: what a check saw of the master, for a compaction that
// follows it: for each record i >= 1 whose offset lies inside the master,
// whether the byte two before that offset (the last byte of the message
// before it, when messages lie end to end) is a Ctrl+Z. One byte per record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "context.h"

namespace foldmend {

extern const char* const kCheckTexts[10];

struct MasterNotes {
  static constexpr unsigned char kUnknown = 0, kOther = 1, kCtrlZ = 2;
  std::uint64_t index_size = 0, master_size = 0;  // of the files the check read
  std::vector<unsigned char> before_end;          // per record, kUnknown/kOther/kCtrlZ
};

// notes, when given, describe the last folder checked.
int check_folder(Context& ctx, const std::string& path, std::string& line, MasterNotes* notes = nullptr);
int check_matching(Context& ctx, const std::string& path, MasterNotes* notes = nullptr);

}  // namespace foldmend
