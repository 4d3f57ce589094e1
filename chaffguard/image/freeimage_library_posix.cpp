// The image library for systems with dlopen(): see freeimage_library.h.
#include <dlfcn.h>

#include <optional>

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
  // Loaded by the first call; the language makes that first call's
  // initialisation exclusive.
  static const std::optional<FreeImageFunctions> functions = []() -> std::optional<FreeImageFunctions> {
    FreeImageFunctions f;
    for (const char* name : {"libfreeimage.so.3", "libfreeimage.so"})
      if (LoadFreeImageFrom(name, f)) return f;
    return std::nullopt;
  }();
  return functions ? &*functions : nullptr;
}

}  // namespace chaffguard::image
