// Replacing a message file safely.
//
//   ReplaceFileLines(path, lines)  writes the lines, each followed by CR LF,
//       to "<path>.cgtmp" beside the file, flushes it and then moves it over
//       `path` in one rename, so the file holds either its old text or the
//       complete new one. Throws std::runtime_error naming the file when the
//       write or the rename fails (the temporary file is removed then and the
//       old file is left as it was).
#pragma once

#include <string>
#include <vector>

namespace chaffguard {

void ReplaceFileLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace chaffguard
