#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "win_platform.h"
#include "win_text.h"

namespace control::win {

std::vector<ProcessEntry> WinProcessList::Enumerate() {
  std::vector<ProcessEntry> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof pe;
  for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
    std::wstring name;
    if (HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pe.th32ProcessID)) {
      wchar_t base[MAX_PATH] = {};
      if (GetModuleBaseNameW(h, nullptr, base, MAX_PATH) > 0) name = base;
      CloseHandle(h);
    }
    if (name.empty()) {
      name = pe.szExeFile;
      std::size_t slash = name.find_last_of(L"\\/");
      if (slash != std::wstring::npos) name = name.substr(slash + 1);
    }
    out.push_back({Utf8(name), pe.th32ProcessID});
  }
  CloseHandle(snap);
  return out;
}

IProcessList::PathResult WinProcessList::ProcessPath(std::uint32_t pid, std::string* path) {
  HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!h) return PathResult::kCannotOpen;
  wchar_t buffer[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  BOOL ok = QueryFullProcessImageNameW(h, 0, buffer, &size);
  CloseHandle(h);
  if (!ok) return PathResult::kCannotQuery;
  *path = Utf8(std::wstring(buffer, size));
  return PathResult::kOk;
}

}  // namespace control::win
