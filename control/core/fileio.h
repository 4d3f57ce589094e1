// fileio.h - file access with UTF-8 path names on every platform.
//   OpenFile(path, mode)  fopen, with the path converted to UTF-16 on Windows.
//   FileExists(path)      true when path names an existing regular file.
#pragma once

#include <cstdio>
#include <string>

namespace control {

std::FILE* OpenFile(const std::string& path, const char* mode);
bool FileExists(const std::string& path);

}  // namespace control
