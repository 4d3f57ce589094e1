// Repair: rebuilds a folder's index from its master file.
//
//   clean_master(master, temp)  copies the master to temp without NUL bytes
//     and without a Ctrl+Z that directly follows a written one; 0 failed
//     (#072/#073 emitted), 1 bytes were dropped, 2 nothing to drop.
//   repair_folder(ctx, master)  1 or 0. When cleaning dropped bytes, the
//     master moves to its backup (".old" appended; #075 if that fails, also
//     when the backup exists) and the cleaned copy takes its name (#076/#077).
//     Then one IMESSAGE per message from the header parser (#008 for a
//     rejected message, which gets no record), new IDs "XXXXXXXX.CNR" where
//     X-VTFLAGS gives none, and the header counters (56 = messages without
//     flag 0x80; 58, 60, 80, 82 = 0).
//
// A master that is missing while a compaction's aside copy or the repair's
// own backup exists (the previous operation was stopped while the files
// changed places) is first put back from there; the repair then goes on.
#pragma once

#include <functional>
#include <string>

#include "context.h"

namespace foldmend {

int clean_master(Context& ctx, const std::string& master, const std::string& temp);
int repair_folder(Context& ctx, const std::string& master,
                  const std::function<const char*(const char*)>& getenv_fn);

}  // namespace foldmend
