// Directory listing on Windows, with the file attributes that the matching
// rule looks at.
#include <windows.h>

#include "winfs.h"

namespace foldmend {

std::vector<DirEntry> read_directory(const std::string& dir) {
  std::vector<DirEntry> out;
  std::string pattern = dir + "*";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    DirEntry e;
    e.name = name;
    e.is_dir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.hidden_or_system = (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    e.offline = (fd.dwFileAttributes & FILE_ATTRIBUTE_OFFLINE) != 0;
    out.push_back(e);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return out;
}

}  // namespace foldmend
