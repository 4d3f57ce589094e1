#include "hostapi.h"

#include <cstring>

#include "cgtext.h"

namespace chaffguard {

using namespace hostif;

std::string HostString(const char* s, size_t max) {
  if (!s) return std::string();
  size_t n = 0;
  while (n < max && s[n] != '\0') ++n;
  return std::string(s, n);
}

bool HostApi::Copy(const void* block) {
  if (!block) return false;
  std::memcpy(block_.data(), block, kBlockSize);
  return true;
}

std::string HostApi::QueryHostValue(int index) const {
  auto fn = Get<QueryHostValueFn>(kQueryHostValue);
  return fn ? HostString(fn(index), kMaxHostString) : std::string();
}

int HostApi::ClassifyAddress(const std::string& address, std::string* user,
                             std::string* host) const {
  auto fn = Get<ClassifyAddressFn>(kClassifyAddress);
  if (!fn) return 0;
  char u[kAddressBuffer] = {};
  char h[kAddressBuffer] = {};
  int r = fn(address.c_str(), u, h);
  if (user) *user = HostString(u, kAddressBuffer - 1);
  if (host) *host = HostString(h, kAddressBuffer - 1);
  return r;
}

std::string HostApi::LocalMailboxPath(const std::string& user, const std::string& host) const {
  auto fn = Get<LocalMailboxPathFn>(kLocalMailboxPath);
  if (!fn) return std::string();
  char p[kPathBuffer] = {};
  fn(p, user.c_str(), host.c_str());
  return HostString(p, kPathBuffer - 1);
}

JobInfo HostApi::ReadJobInfo(void* job) {
  record_.fill(0);
  JobInfo info;
  auto fn = Get<ReadJobInfoFn>(kReadJobInfo);
  if (!fn) return info;
  fn(job, record_.data());
  std::memcpy(&info.flags, record_.data() + kRecordFlags, sizeof info.flags);
  const char* sender = nullptr;
  std::memcpy(&sender, record_.data() + kRecordSender, sizeof sender);
  info.sender = HostString(sender, kMaxHostString);
  std::string id = HostString(reinterpret_cast<const char*>(record_.data() + kRecordJobId),
                              kRecordSize - kRecordJobId);
  if (id.size() > kMaxJobId) id.resize(kMaxJobId);
  info.job_id = id;
  return info;
}

std::string HostApi::NextJobRecipient(void* job) {
  auto fn = Get<NextJobRecipientFn>(kNextJobRecipient);
  return fn ? HostString(fn(job, 0, record_.data()), kMaxHostString) : std::string();
}

void HostApi::HostLog(int priority, const std::string& text) const {
  auto fn = Get<HostLogFn>(kHostLog);
  if (fn) fn(0, priority, text.c_str());
}

std::string HostApi::JobFilePath(void* job) const {
  auto fn = Get<JobFilePathFn>(kJobFilePath);
  if (!fn) return std::string();
  char buf[kJobFileBuffer] = {};
  fn(job, buf, static_cast<int>(kJobFileBuffer));
  return HostString(buf, kJobFileBuffer - 1);
}

void HostApi::ReleaseJob(void* job) const {
  auto fn = Get<ReleaseJobFn>(kReleaseJob);
  if (fn) fn(job);
}

std::string HostApi::MailboxOf(const std::string& address) const {
  if (address.empty() || address.size() > kMaxClassifiedAddress) return std::string();
  std::string user, host;
  if (ClassifyAddress(address, &user, &host) != 1) return std::string();
  return LocalMailboxPath(user, host);
}

bool HostApi::IsLocal(const std::string& address) const {
  if (address.empty() || address.size() > kMaxClassifiedAddress) return false;
  int r = ClassifyAddress(address, nullptr, nullptr);
  return r == 1 || r == 2;
}

bool HostApi::IsFaked(const std::string& address) const {
  std::string plain = PlainAddress(address);
  if (plain.empty() || plain.size() > kMaxClassifiedAddress) return false;
  return ClassifyAddress(plain, nullptr, nullptr) == -1;
}

}  // namespace chaffguard
