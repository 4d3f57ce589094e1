#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "win_platform.h"
#include "win_text.h"

namespace control::win {

namespace {
HANDLE H(ProcHandle h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

bool WinLauncher::NewProcess(const std::string& command_line, int show, ProcHandle* process,
                                std::uint32_t* pid) {
  std::wstring cmd = Wide(command_line);
  cmd.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  si.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  *process = reinterpret_cast<ProcHandle>(pi.hProcess);
  *pid = pi.dwProcessId;
  return true;
}

int WinLauncher::ShellOpen(const std::string& file, const std::string& params, const std::string& dir, int show) {
  HINSTANCE r = ShellExecuteW(static_cast<HWND>(owner_), L"open", Wide(file).c_str(),
                              params.empty() ? nullptr : Wide(params).c_str(), dir.empty() ? nullptr : Wide(dir).c_str(),
                              show);
  return static_cast<int>(reinterpret_cast<INT_PTR>(r));
}

ILauncher::ShellResult WinLauncher::ShellRun(const std::string& verb, const std::string& file,
                                                 const std::string& params, const std::string& dir, int show) {
  const std::wstring wverb = Wide(verb), wfile = Wide(file), wparams = Wide(params), wdir = Wide(dir);
  SHELLEXECUTEINFOW sei{};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  sei.hwnd = static_cast<HWND>(owner_);
  sei.lpVerb = verb.empty() ? nullptr : wverb.c_str();
  sei.lpFile = wfile.c_str();
  sei.lpParameters = params.empty() ? nullptr : wparams.c_str();
  sei.lpDirectory = dir.empty() ? nullptr : wdir.c_str();
  sei.nShow = show;
  ShellResult r;
  if (!ShellExecuteExW(&sei)) {
    r.error = GetLastError();
    return r;
  }
  r.ok = true;
  r.process = reinterpret_cast<ProcHandle>(sei.hProcess);
  return r;
}

ILauncher::WaitResult WinLauncher::Wait(ProcHandle process, std::uint32_t ms) {
  if (!process) return WaitResult::kFailed;
  DWORD w = WaitForSingleObject(H(process), ms);
  if (w == WAIT_OBJECT_0) return WaitResult::kEnded;
  if (w == WAIT_TIMEOUT) return WaitResult::kTimeout;
  return WaitResult::kFailed;
}

bool WinLauncher::ExitCode(ProcHandle process, std::uint32_t* code) {
  DWORD c = 0;
  if (!process || !GetExitCodeProcess(H(process), &c)) return false;
  *code = c;
  return true;
}

void WinLauncher::Close(ProcHandle process) {
  if (process) CloseHandle(H(process));
}

ProcHandle WinLauncher::OpenForTerminate(std::uint32_t pid) {
  return reinterpret_cast<ProcHandle>(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
}

bool WinLauncher::Terminate(ProcHandle process, std::uint32_t exit_code) {
  return TerminateProcess(H(process), exit_code) != FALSE;
}

void WinLauncher::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool WinLauncher::IsAdmin() {
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
    if (GetLastError() != ERROR_NO_TOKEN || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
      return false;
  }
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  bool answer = false;
  if (AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                               &admins)) {
    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    if (size > 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      std::vector<std::uint64_t> buffer(size / 8 + 1);
      auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buffer.data());
      if (GetTokenInformation(token, TokenGroups, groups, size, &size)) {
        for (DWORD i = 0; i < groups->GroupCount; ++i) {
          if (EqualSid(groups->Groups[i].Sid, admins)) {
            answer = (groups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0;
            break;
          }
        }
      }
    }
    FreeSid(admins);
  }
  CloseHandle(token);
  return answer;
}

std::uint32_t WinLauncher::WindowsMajor() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto fn = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (fn && fn(&v) == 0) return v.dwMajorVersion;
  }
  return 6;
}

std::string WinLauncher::SystemMessage(std::uint32_t code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string out = n && text ? Utf8(std::wstring(text, n)) : std::string();
  if (text) LocalFree(text);
  return out;
}

void WinMessageBox::ShowError(const std::string& text) {
  MessageBoxW(nullptr, Wide(text).c_str(), L"ostrel-control", MB_OK | MB_ICONERROR);
}

}  // namespace control::win
