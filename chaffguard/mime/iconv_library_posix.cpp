// SystemIconv() for systems with dlopen: libiconv when installed, else the C library.
#include <dlfcn.h>
#include <iconv.h>

#include <mutex>

#include "iconv_library.h"

namespace chaffguard::mime {
namespace {

void* LibcOpen(const char* to_code, const char* from_code) {
  return static_cast<void*>(iconv_open(to_code, from_code));
}

std::size_t LibcConvert(void* cd, char** in, std::size_t* in_left, char** out,
                        std::size_t* out_left) {
  return iconv(static_cast<iconv_t>(cd), in, in_left, out, out_left);
}

int LibcClose(void* cd) { return iconv_close(static_cast<iconv_t>(cd)); }

template <typename F>
bool Bind(void* lib, const char* name, F& target) {
  void* sym = dlsym(lib, name);
  if (sym == nullptr) return false;
  target = reinterpret_cast<F>(sym);
  return true;
}

IconvFunctions Load() {
  for (const char* name : {"libiconv.so.2", "libiconv.so"}) {
    void* lib = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) continue;
    IconvFunctions f;
    if (Bind(lib, "libiconv_open", f.open) && Bind(lib, "libiconv", f.convert) &&
        Bind(lib, "libiconv_close", f.close)) {
      Bind(lib, "libiconvctl", f.control);
      f.origin = name;
      return f;  // stays loaded for the life of the process
    }
    dlclose(lib);
  }
  IconvFunctions f;
  f.open = &LibcOpen;
  f.convert = &LibcConvert;
  f.close = &LibcClose;
  f.origin = "C library";
  return f;
}

}  // namespace

const IconvFunctions* SystemIconv() {
  static std::mutex lock;
  static bool loaded = false;
  static IconvFunctions functions;
  std::lock_guard<std::mutex> guard(lock);
  if (!loaded) {
    functions = Load();
    loaded = true;
  }
  return functions.open != nullptr ? &functions : nullptr;
}

}  // namespace chaffguard::mime
