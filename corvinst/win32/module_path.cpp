#include "win32/module_path.h"

#include <windows.h>

namespace corvinst {

std::string OwnModulePath() {
  // Long paths reach 32767 characters; stop growing there.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::string path(size, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), size);
    if (length == 0) return std::string();
    if (length < size) {
      path.resize(length);
      return path;
    }
  }
  return std::string();
}

}  // namespace corvinst
