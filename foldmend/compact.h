// Compaction: copies every message not marked deleted (flag 0x00040000)
// into a new master, in index order, with renumbered records whose length
// excludes the one Ctrl+Z written after each message, and puts the new pair
// in place of the old one. Refuses folders that do not pass the check (#017).
//
//   compact_folder(ctx, path)    1 or 0; messages #017..#025 and "#51"
//   compact_matching(ctx, path)  every match of a wildcard path; silent
//                                when nothing matches
//
// Replacing the files: the old index and master are first renamed aside
// (their names with ".cmp" appended), then the two work files take the
// folder's names, and only then are the aside files removed. A process
// stopped at any point leaves either the old folder, the new one, or a
// master that the next repair finds (it puts an aside master back first).
// When a work file cannot take its name, the old files are put back.
#pragma once

#include <string>

#include "context.h"

namespace foldmend {

int compact_folder(Context& ctx, const std::string& path);
void compact_matching(Context& ctx, const std::string& path);

}  // namespace foldmend
