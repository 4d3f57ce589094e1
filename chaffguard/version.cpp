// The plug-in's own file version: read from its version resource on Windows,
// the build's version elsewhere (the native build has no resources).
#include "DAEMON.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#endif

#include "cgversion.h"

namespace chaffguard {

std::string PluginFileVersion() {
#ifdef _WIN32
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&PluginFileVersion), &self))
    return CHAFFGUARD_VERSION;
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return CHAFFGUARD_VERSION;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return CHAFFGUARD_VERSION;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path, 0, size, data.data())) return CHAFFGUARD_VERSION;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info ||
      len < sizeof(VS_FIXEDFILEINFO))
    return CHAFFGUARD_VERSION;
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionLS));
#else
  return CHAFFGUARD_VERSION;
#endif
}

}  // namespace chaffguard
