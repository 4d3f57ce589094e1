#include "host_ops.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace cg_host {

namespace {
#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

std::string g_value;  // the text QueryHostValue hands out

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

void CopyOut(char* dst, size_t size, const std::string& src) {
  size_t n = src.size() < size - 1 ? src.size() : size - 1;
  std::memcpy(dst, src.data(), n);
  dst[n] = '\0';
}

// A user part that names a folder below MAIL and nothing else.
bool SafeUser(const std::string& user) {
  return !user.empty() && user != "." && user != ".." &&
         user.find_first_of("/\\:") == std::string::npos;
}

const char* CG_CDECL QueryHostValue(int index) {
  const HostSettings& h = HostConfig();
  switch (index) {
    case 1: g_value = h.queue; break;
    case 3: g_value = h.hostname; break;
    case 8: g_value = h.base; break;
    default: g_value.clear(); break;
  }
  return g_value.c_str();
}

int CG_CDECL ClassifyAddress(const char* address, char* user, char* host) {
  const HostSettings& h = HostConfig();
  std::string a = address ? LowerAscii(address) : std::string();
  size_t at = a.rfind('@');
  std::string u = at == std::string::npos ? a : a.substr(0, at);
  std::string d = at == std::string::npos ? LowerAscii(h.domain) : a.substr(at + 1);
  size_t plus = u.find('+');
  if (plus != std::string::npos) u.resize(plus);
  const bool in_domain = d == LowerAscii(h.domain);
  std::error_code ec;
  if (in_domain && SafeUser(u) &&
      std::filesystem::is_directory(Join(Join(h.base, "MAIL"), u), ec)) {
    CopyOut(user, chaffguard::hostif::kAddressBuffer, u);
    CopyOut(host, chaffguard::hostif::kAddressBuffer, d);
    return 1;
  }
  std::ifstream aliases(Join(h.base, "local-aliases.txt"));
  std::string line;
  while (std::getline(aliases, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && LowerAscii(line) == a) return 2;
  }
  return in_domain ? -1 : 0;
}

int CG_CDECL LocalMailboxPath(char* path, const char* user, const char* host) {
  (void)host;
  const std::string u = user ? user : "";
  CopyOut(path, chaffguard::hostif::kPathBuffer, SafeUser(u) ? Join(Join(HostConfig().base, "MAIL"), u) : "");
  return 1;
}

int CG_CDECL ReadJobInfo(void* job, void* record) {
  const Job* j = static_cast<const Job*>(job);
  auto* r = static_cast<unsigned char*>(record);
  std::memcpy(r + chaffguard::hostif::kRecordFlags, &j->flags, sizeof j->flags);
  const char* sender = j->sender.c_str();
  std::memcpy(r + chaffguard::hostif::kRecordSender, &sender, sizeof sender);
  CopyOut(reinterpret_cast<char*>(r + chaffguard::hostif::kRecordJobId),
          chaffguard::hostif::kRecordSize - chaffguard::hostif::kRecordJobId, j->id);
  return 1;
}

const char* CG_CDECL NextJobRecipient(void* job, int zero, void* record) {
  (void)zero;
  (void)record;
  Job* j = static_cast<Job*>(job);
  if (j->next >= j->recipients.size()) return "";
  return j->recipients[j->next++].c_str();
}

void CG_CDECL HostLog(int zero, int priority, const char* text) {
  (void)zero;
  std::FILE* f = std::fopen(Join(HostConfig().base, "host.log").c_str(), "ab");
  if (!f) return;
  std::fprintf(f, "%d %s\n", priority, text ? text : "");
  std::fclose(f);
}

int CG_CDECL JobFilePath(void* job, char* buffer, int size) {
  if (size <= 0) return 0;
  CopyOut(buffer, static_cast<size_t>(size), static_cast<const Job*>(job)->file_path);
  return 1;
}

void CG_CDECL ReleaseJob(void* job) { ++static_cast<Job*>(job)->released; }
}  // namespace

HostSettings& HostConfig() {
  static HostSettings settings;
  return settings;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/' || dir.back() == '\\') return dir + name;
  return dir + kSep + name;
}

void FillBlock(unsigned char* block, int major, int minor) {
  using namespace chaffguard::hostif;
  block[kVersionMajor] = static_cast<unsigned char>(major);
  block[kVersionMinor] = static_cast<unsigned char>(minor);
  StoreFn<QueryHostValueFn>(block, kQueryHostValue, &QueryHostValue);
  StoreFn<ClassifyAddressFn>(block, kClassifyAddress, &ClassifyAddress);
  StoreFn<LocalMailboxPathFn>(block, kLocalMailboxPath, &LocalMailboxPath);
  StoreFn<ReadJobInfoFn>(block, kReadJobInfo, &ReadJobInfo);
  StoreFn<NextJobRecipientFn>(block, kNextJobRecipient, &NextJobRecipient);
  StoreFn<HostLogFn>(block, kHostLog, &HostLog);
  StoreFn<JobFilePathFn>(block, kJobFilePath, &JobFilePath);
  StoreFn<ReleaseJobFn>(block, kReleaseJob, &ReleaseJob);
}

}  // namespace cg_host
