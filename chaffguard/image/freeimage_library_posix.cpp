// The image library for systems with dlopen(): see freeimage_library.h.
#include <dlfcn.h>

#include <mutex>

#include "freeimage_library.h"

namespace chaffguard::image {

bool LoadFreeImageFrom(const std::string& path, FreeImageFunctions& out) {
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr) return false;
  FreeImageFunctions f;
  f.origin = path;
  if (!BindFreeImage([lib](const char* name) { return dlsym(lib, name); }, f)) {
    dlclose(lib);
    return false;
  }
  out = f;
  return true;  // stays loaded for the life of the process
}

const FreeImageFunctions* SystemFreeImage() {
  static std::mutex lock;
  static bool loaded = false;
  static bool found = false;
  static FreeImageFunctions functions;
  std::lock_guard<std::mutex> guard(lock);
  if (!loaded) {
    loaded = true;
    for (const char* name : {"libfreeimage.so.3", "libfreeimage.so"}) {
      if (LoadFreeImageFrom(name, functions)) {
        found = true;
        break;
      }
    }
  }
  return found ? &functions : nullptr;
}

}  // namespace chaffguard::image
