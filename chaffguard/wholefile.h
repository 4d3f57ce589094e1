// Whole-file reads and writes of the plug-in's small files (settings, flags,
// statistics, messages), each in as few system calls as the platform allows.
//
//   ReadWholeFile(path, out, limit)  reads at most `limit` bytes into `out`:
//       kOk, kCannotOpen (missing or not readable; `out` is empty) or
//       kFailed (a read error; `out` holds what was read)
//   OverwriteFile(path, data)  creates the file or writes over it from its
//       first byte and then cuts it to the size of `data`; false on any
//       failure. The file keeps its blocks where the new text fits in them, so
//       nothing is freed and allocated again as with truncating first; a
//       reader that is not locked out may see the new text followed by the old
//       tail for a moment, never an empty file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace chaffguard {

enum class FileRead { kOk, kCannotOpen, kFailed };

FileRead ReadWholeFile(const std::string& path, std::string& out, size_t limit = static_cast<size_t>(-1));
bool OverwriteFile(const std::string& path, std::string_view data);

}  // namespace chaffguard
