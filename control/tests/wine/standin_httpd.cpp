// A stand-in web server for the Windows tests, copied into a temporary
// distribution as apache\bin\httpd.exe.
//   -k install -n NAME     creates the own-process, demand-start service NAME
//                          whose command line is "<this exe>" -k runservice.
//   -k uninstall -n NAME   deletes the service NAME.
//   -k hold                sleeps for 20 seconds (a process to find and end).
//   -k runservice          runs as the service: listens on 127.0.0.1 at the
//                          port [ServicePorts] Apache of ostrel-control.ini in
//                          the distribution root (two folders up) until
//                          stopped.
// Every call appends its arguments, one per line and then "--", to
// standin-args.txt beside the exe. Exit code 0 on success, 1 otherwise.
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::wstring ExePath() {
  wchar_t buf[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
  return buf;
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

void RecordArguments(const std::vector<std::wstring>& args) {
  std::wstring file = Folder(ExePath()) + L"\\standin-args.txt";
  HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  std::string text;
  for (const auto& a : args) text += Utf8(a) + "\n";
  text += "--\n";
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

int Install(const std::wstring& name) {
  SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (!scm) return 1;
  std::wstring command = L"\"" + ExePath() + L"\" -k runservice";
  SC_HANDLE svc = CreateServiceW(scm, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                 SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
                                 nullptr, nullptr, nullptr);
  if (svc) CloseServiceHandle(svc);
  CloseServiceHandle(scm);
  return svc ? 0 : 1;
}

int Uninstall(const std::wstring& name) {
  SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!scm) return 1;
  SC_HANDLE svc = OpenServiceW(scm, name.c_str(), DELETE);
  bool ok = svc && DeleteService(svc);
  if (svc) CloseServiceHandle(svc);
  CloseServiceHandle(scm);
  return ok ? 0 : 1;
}

SERVICE_STATUS_HANDLE g_status_handle = nullptr;
HANDLE g_stop = nullptr;

void Report(DWORD state) {
  SERVICE_STATUS st{};
  st.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  st.dwCurrentState = state;
  st.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  st.dwWaitHint = 3000;
  SetServiceStatus(g_status_handle, &st);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    Report(SERVICE_STOP_PENDING);
    SetEvent(g_stop);
  }
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, LPWSTR* argv) {
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_status_handle = RegisterServiceCtrlHandlerExW(argv && argv[0] ? argv[0] : L"", Handler, nullptr);
  if (!g_status_handle) return;
  Report(SERVICE_START_PENDING);
  std::wstring root = Folder(Folder(Folder(ExePath())));
  std::wstring ini = root + L"\\ostrel-control.ini";
  UINT port = GetPrivateProfileIntW(L"ServicePorts", L"Apache", 80, ini.c_str());
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<u_short>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 4) != 0) {
    Report(SERVICE_STOPPED);
    return;
  }
  Report(SERVICE_RUNNING);
  WaitForSingleObject(g_stop, INFINITE);
  closesocket(s);
  WSACleanup();
  Report(SERVICE_STOPPED);
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  LocalFree(argv);
  RecordArguments(args);
  if (args.size() >= 2 && args[0] == L"-k" && args[1] == L"runservice") {
    wchar_t empty[] = L"";
    SERVICE_TABLE_ENTRYW table[] = {{empty, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
  }
  if (args.size() == 2 && args[0] == L"-k" && args[1] == L"hold") {
    Sleep(20000);
    return 0;
  }
  if (args.size() == 4 && args[0] == L"-k" && args[2] == L"-n") {
    if (args[1] == L"install") return Install(args[3]);
    if (args[1] == L"uninstall") return Uninstall(args[3]);
  }
  return 1;
}
