// HostApi: the plug-in's view of the host, working on its own copy of the
// interface block (see hostif.h), with the derived address operations.
//
//   Copy(block)         copies the block; false for a null block
//   InterfaceOk()       version 2.20 or later; JobFileInterface(): 4.1 or later
//   QueryHostValue, ClassifyAddress, LocalMailboxPath, ReadJobInfo,
//   NextJobRecipient, HostLog, JobFilePath, ReleaseJob
//                       call the host; a missing (null) function answers
//                       empty/0; answers are copied out of fixed buffers of the
//                       sizes the host is promised, which are never overrun
//   MailboxOf(address)  local mailbox path, "" unless 1..60 characters and class 1
//   IsLocal(address)    1..60 characters and class 1 or 2
//   IsFaked(address)    plain form 1..60 characters and class -1
//
// Host strings are read up to kMaxHostString bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hostif.h"

namespace chaffguard {

struct JobInfo {
  uint32_t flags = 0;
  std::string sender;
  std::string job_id;  // at most 20 characters
};

class HostApi {
 public:
  static constexpr size_t kMaxHostString = 65536;
  static constexpr size_t kMaxJobId = 20;

  bool Copy(const void* block);
  int Major() const { return block_[hostif::kVersionMajor]; }
  int Minor() const { return block_[hostif::kVersionMinor]; }
  bool InterfaceOk() const { return Major() > 2 || (Major() == 2 && Minor() >= 20); }
  bool JobFileInterface() const { return Major() > 4 || (Major() == 4 && Minor() >= 1); }

  std::string QueryHostValue(int index) const;
  int ClassifyAddress(const std::string& address, std::string* user, std::string* host) const;
  std::string LocalMailboxPath(const std::string& user, const std::string& host) const;
  JobInfo ReadJobInfo(void* job);
  // The next recipient, "" after the last one. Uses the record of ReadJobInfo.
  std::string NextJobRecipient(void* job);
  void HostLog(int priority, const std::string& text) const;
  std::string JobFilePath(void* job) const;
  void ReleaseJob(void* job) const;

  std::string MailboxOf(const std::string& address) const;
  bool IsLocal(const std::string& address) const;
  bool IsFaked(const std::string& address) const;

 private:
  template <typename Fn>
  Fn Get(size_t offset) const { return hostif::LoadFn<Fn>(block_.data(), offset); }

  std::array<unsigned char, hostif::kBlockSize> block_{};
  std::array<unsigned char, hostif::kRecordSize> record_{};
};

// Copies a NUL-terminated host string of at most `max` bytes; null gives "".
std::string HostString(const char* s, size_t max);

}  // namespace chaffguard
