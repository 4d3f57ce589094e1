// The mail server's interface block and job information record, as read by
// the plug-in and filled by a host. Shared by the plug-in and the stand-in host.
//
// The block is read by byte offset. 32-bit Windows uses the server's own layout
// (4-byte function pointers at fixed offsets, block of 698 bytes):
//
//   offset  width   field
//        4  1       interface version, major
//        5  1       interface version, minor
//       10  ptr     QueryHostValue(index) -> string
//       14  ptr     ClassifyAddress(address, user[256], host[256]) -> int
//       42  ptr     LocalMailboxPath(path[256], user, host)
//      102  ptr     ReadJobInfo(job, record)
//      122  ptr     NextJobRecipient(job, 0, record) -> string ("" or null at the end)
//      358  ptr     HostLog(0, priority, text)
//      682  ptr     JobFilePath(job, buffer, size)     (from version 4.1)
//      686  ptr     ReleaseJob(job)                    (from version 4.1)
//
// 64-bit builds (Windows and Linux) keep the two version bytes at 4 and 5 and
// put the eight function pointers in 8-byte slots from offset 16 in the order
// above (block of 80 bytes).
//
// Job information record (132 bytes): flags, 32-bit, at offset 5; pointer to
// the envelope sender at offset 10 (32-bit Windows) or 16 (64-bit); the job ID
// as NUL-terminated text from offset 102 to the end of the record.
//
// Every host function uses the plain C calling convention. Values are copied
// with memcpy: the offsets are not aligned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(_WIN32) && !defined(_WIN64)
#define CG_CDECL __cdecl
#else
#define CG_CDECL
#endif

namespace chaffguard::hostif {

using QueryHostValueFn = const char*(CG_CDECL*)(int index);
using ClassifyAddressFn = int(CG_CDECL*)(const char* address, char* user, char* host);
using LocalMailboxPathFn = int(CG_CDECL*)(char* path, const char* user, const char* host);
using ReadJobInfoFn = int(CG_CDECL*)(void* job, void* record);
using NextJobRecipientFn = const char*(CG_CDECL*)(void* job, int zero, void* record);
using HostLogFn = void(CG_CDECL*)(int zero, int priority, const char* text);
using JobFilePathFn = int(CG_CDECL*)(void* job, char* buffer, int size);
using ReleaseJobFn = void(CG_CDECL*)(void* job);

inline constexpr size_t kVersionMajor = 4;
inline constexpr size_t kVersionMinor = 5;

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(void*) == 4);
inline constexpr size_t kBlockSize = 698;
inline constexpr size_t kQueryHostValue = 10;
inline constexpr size_t kClassifyAddress = 14;
inline constexpr size_t kLocalMailboxPath = 42;
inline constexpr size_t kReadJobInfo = 102;
inline constexpr size_t kNextJobRecipient = 122;
inline constexpr size_t kHostLog = 358;
inline constexpr size_t kJobFilePath = 682;
inline constexpr size_t kReleaseJob = 686;
inline constexpr size_t kRecordSender = 10;
#else
static_assert(sizeof(void*) == 8);
inline constexpr size_t kBlockSize = 80;
inline constexpr size_t kQueryHostValue = 16;
inline constexpr size_t kClassifyAddress = 24;
inline constexpr size_t kLocalMailboxPath = 32;
inline constexpr size_t kReadJobInfo = 40;
inline constexpr size_t kNextJobRecipient = 48;
inline constexpr size_t kHostLog = 56;
inline constexpr size_t kJobFilePath = 64;
inline constexpr size_t kReleaseJob = 72;
inline constexpr size_t kRecordSender = 16;
#endif

inline constexpr size_t kRecordSize = 132;
inline constexpr size_t kRecordFlags = 5;
inline constexpr size_t kRecordJobId = 102;

inline constexpr uint32_t kFlagNoFilter = 0x100;
inline constexpr uint32_t kFlagLocalSender = 0x800;
inline constexpr uint32_t kFlagPop3Collected = 0x10000;

// Buffer sizes the plug-in hands to the host.
inline constexpr size_t kAddressBuffer = 256;
inline constexpr size_t kPathBuffer = 256;
inline constexpr size_t kJobFileBuffer = 1024;
inline constexpr size_t kMaxClassifiedAddress = 60;

template <typename Fn>
Fn LoadFn(const unsigned char* block, size_t offset) {
  Fn fn;
  std::memcpy(&fn, block + offset, sizeof fn);
  return fn;
}

template <typename Fn>
void StoreFn(unsigned char* block, size_t offset, Fn fn) {
  std::memcpy(block + offset, &fn, sizeof fn);
}

}  // namespace chaffguard::hostif
