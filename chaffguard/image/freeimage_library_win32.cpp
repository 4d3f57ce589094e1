// The image library for Windows: FreeImage.dll beside the plug-in's module
// (see freeimage_library.h).
#include <windows.h>

#include <optional>
#include <string>

#include "freeimage_library.h"
#include "module_directory.h"

namespace chaffguard::image {
namespace {

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
  // Loaded by the first call; the language makes that first call's
  // initialisation exclusive.
  static const std::optional<FreeImageFunctions> functions = []() -> std::optional<FreeImageFunctions> {
    FreeImageFunctions f;
    const std::wstring dir = mime::OwnModuleDirectory();
    if (!dir.empty() && LoadFromWide(dir + L"FreeImage.dll", f)) return f;
    return std::nullopt;
  }();
  return functions ? &*functions : nullptr;
}

}  // namespace chaffguard::image
