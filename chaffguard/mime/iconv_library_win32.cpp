// SystemIconv() for Windows: an iconv DLL beside this module or on the search path.
#include <windows.h>

#include <mutex>
#include <string>

#include "iconv_library.h"
#include "module_directory.h"

namespace chaffguard::mime {
namespace {

constexpr const wchar_t* kDllNames[] = {L"libiconv-2.dll", L"libiconv.dll", L"iconv.dll"};

template <typename F>
bool Bind(HMODULE lib, const char* name, F& target) {
  FARPROC proc = GetProcAddress(lib, name);
  if (proc == nullptr) return false;
  target = reinterpret_cast<F>(reinterpret_cast<void*>(proc));
  return true;
}

bool TryLoad(const std::wstring& path, IconvFunctions& f) {
  HMODULE lib = LoadLibraryW(path.c_str());
  if (lib == nullptr) return false;
  if (Bind(lib, "libiconv_open", f.open) && Bind(lib, "libiconv", f.convert) &&
      Bind(lib, "libiconv_close", f.close)) {
    Bind(lib, "libiconvctl", f.control);
    f.origin.clear();
    for (wchar_t c : path) f.origin.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return true;  // stays loaded for the life of the process
  }
  FreeLibrary(lib);
  f = IconvFunctions{};
  return false;
}

IconvFunctions Load() {
  IconvFunctions f;
  const std::wstring dir = OwnModuleDirectory();
  if (!dir.empty()) {
    for (const wchar_t* name : kDllNames) {
      if (TryLoad(dir + name, f)) return f;
    }
  }
  for (const wchar_t* name : kDllNames) {
    if (TryLoad(name, f)) return f;
  }
  return IconvFunctions{};
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
