// Fix IDs: gives new IDs ("XXXXXXXX.CNM") to records whose ID, compared
// without regard to case, another record of the folder already bears, and
// removes the folder's UID mapping file (".VNM") when any ID changed. Only
// the ID fields of the index change.
//
//   fix_ids_folder(ctx, path)    number of IDs changed, 0, or -1 (#039..#045)
//   fix_ids_matching(ctx, path)  every match of a wildcard path; returns 1
//
// Which record of a duplicate pair gets the new ID, and in which order the
// new IDs are drawn, are those of a walk over all pairs (j < k): k unless k
// has flag 0x04000000 and j has not. The walk is replaced by grouping equal
// IDs, so the work grows with n log n; the draws, and so the files written,
// are the same.
#pragma once

#include <string>

#include "context.h"

namespace foldmend {

int fix_ids_folder(Context& ctx, const std::string& path);
int fix_ids_matching(Context& ctx, const std::string& path);

}  // namespace foldmend
