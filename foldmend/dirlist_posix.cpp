// Directory listing outside Windows: no entry is hidden, system or offline.
#include <dirent.h>
#include <sys/stat.h>

#include "winfs.h"

namespace foldmend {

std::vector<DirEntry> read_directory(const std::string& dir) {
  std::vector<DirEntry> out;
  std::string d = dir.empty() ? "." : dir;
  DIR* h = opendir(d.c_str());
  if (!h) return out;
  while (dirent* e = readdir(h)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    DirEntry de;
    de.name = name;
    struct stat st;
    std::string full = d + (d.back() == '/' ? "" : "/") + name;
    de.is_dir = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    out.push_back(de);
  }
  closedir(h);
  return out;
}

}  // namespace foldmend
