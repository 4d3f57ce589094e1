// The image library for Windows: FreeImage.dll beside the plug-in's module
// (see freeimage_library.h).
#include <windows.h>

#include <mutex>
#include <string>

#include "freeimage_library.h"

namespace chaffguard::image {
namespace {

// Directory of the module (plug-in DLL or program) that contains this code,
// with a trailing backslash; empty when it cannot be found.
std::wstring OwnModuleDirectory() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&OwnModuleDirectory), &self)) {
    return {};
  }
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring Widen(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return s;
}

bool LoadFromWide(const std::wstring& path, FreeImageFunctions& out) {
  // A full path: the DLL's own dependencies are searched beside it first.
  HMODULE lib = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (lib == nullptr) return false;
  FreeImageFunctions f;
  f.origin = Narrow(path);
  const bool ok = BindFreeImage(
      [lib](const char* name) { return reinterpret_cast<void*>(GetProcAddress(lib, name)); }, f);
  if (!ok) {
    FreeLibrary(lib);
    return false;
  }
  out = f;
  return true;  // stays loaded for the life of the process
}

}  // namespace

bool LoadFreeImageFrom(const std::string& path, FreeImageFunctions& out) {
  return LoadFromWide(Widen(path), out);
}

const FreeImageFunctions* SystemFreeImage() {
  static std::mutex lock;
  static bool loaded = false;
  static bool found = false;
  static FreeImageFunctions functions;
  std::lock_guard<std::mutex> guard(lock);
  if (!loaded) {
    loaded = true;
    const std::wstring dir = OwnModuleDirectory();
    found = !dir.empty() && LoadFromWide(dir + L"FreeImage.dll", functions);
  }
  return found ? &functions : nullptr;
}

}  // namespace chaffguard::image
