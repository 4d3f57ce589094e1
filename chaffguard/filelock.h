// FileLock: an exclusive lock between processes, held on a file for the
// lifetime of the object, so that read-modify-write of shared text files
// (the statistics files) does not lose updates made by another host.
//
//   FileLock(path, wait_ms)  opens or creates `path` and waits up to wait_ms
//       for the lock; throws std::runtime_error "Cannot lock file \"<path>\""
//       when it cannot be had in time. The file's bytes are not touched: on
//       Windows a byte range far past the end is locked, elsewhere flock().
#pragma once

#include <string>

namespace chaffguard {

class FileLock {
 public:
  FileLock(const std::string& path, int wait_ms);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  void* handle_ = nullptr;  // Windows file handle
  int fd_ = -1;             // POSIX descriptor
};

// Gives `from` the name `to` unless `to` exists already (then nothing is
// changed and false is returned): two processes making the same file each in
// a private name see exactly one of them win.
bool MoveFileNoReplace(const std::string& from, const std::string& to);

}  // namespace chaffguard
