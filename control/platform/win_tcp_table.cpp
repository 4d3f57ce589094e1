#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include "win_platform.h"

namespace control::win {

namespace {
using GetExtendedTcpTableFn = DWORD(WINAPI*)(PVOID, PDWORD, BOOL, ULONG, TCP_TABLE_CLASS, ULONG);
}

WinTcpTable::WinTcpTable() {
  HMODULE lib = LoadLibraryW(L"iphlpapi.dll");
  library_ = lib;
  if (lib) function_ = reinterpret_cast<void*>(GetProcAddress(lib, "GetExtendedTcpTable"));
}

WinTcpTable::~WinTcpTable() {
  if (library_) FreeLibrary(static_cast<HMODULE>(library_));
}

bool WinTcpTable::Loaded() { return library_ != nullptr && function_ != nullptr; }

std::uint32_t WinTcpTable::Fetch(std::uint8_t* buffer, std::uint32_t* size) {
  if (!function_) return ERROR_INVALID_FUNCTION;
  auto fn = reinterpret_cast<GetExtendedTcpTableFn>(function_);
  DWORD len = buffer ? *size : 0;
  DWORD answer = fn(buffer, &len, FALSE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0);
  *size = len;
  return answer;
}

}  // namespace control::win
