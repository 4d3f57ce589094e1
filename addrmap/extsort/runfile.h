// RunFile: a plain unbuffered file handle for run files, outside the C
// run-time's FILE table (whose size would otherwise cap how many runs can be
// merged at once). Native handles on Windows, file descriptors elsewhere.
#pragma once

#include <cstddef>
#include <string>

namespace extsort {

class RunFile {
 public:
  enum class OpenError { kNone, kTooManyOpen, kOther };

  RunFile() = default;
  ~RunFile() { Close(); }
  RunFile(const RunFile&) = delete;
  RunFile& operator=(const RunFile&) = delete;
  RunFile(RunFile&& other) noexcept;
  RunFile& operator=(RunFile&& other) noexcept;

  // Creates or truncates `path` for writing.
  bool Create(const std::string& path);
  // Opens `path` for reading; `why` tells a handle shortage from other failures.
  bool OpenRead(const std::string& path, OpenError* why);
  // Reads up to `len` bytes; returns the count (0 at end of file), -1 on error.
  long Read(void* buf, std::size_t len);
  // Writes all `len` bytes; false on any error or short write.
  bool Write(const void* buf, std::size_t len);
  bool Close();  // false when the close reported an error
  bool IsOpen() const;

  static bool Exists(const std::string& path);
  static void Remove(const std::string& path);
  // Raises the process's open-file limit as far as allowed and returns how
  // many run files may be open at once.
  static std::size_t MaxOpen();

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace extsort
