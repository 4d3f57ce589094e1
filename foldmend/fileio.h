// File access for the folder operations: a small RAII wrapper over stdio with
// 64-bit positions, a buffered byte reader, and the file-system mutations
// (rename, remove) that go through one hook so tests can stop an operation
// at any mutation as if the process had been killed there.
//
//   File          open/read/write/seek/tell/size; closes itself
//   ByteReader    getc-style reading with a large buffer, plus skip_to()
//   fs_rename     rename that fails when the target exists (as on Windows)
//   fs_move       rename, or copy and delete when the target is on another volume
//   fs_remove, fs_exists, fs_is_file, fs_is_dir, fs_size, fs_copy
//   resolve_case  names compare without regard to case everywhere here
//   set_mutation_hook(f)  f() runs before every write-type file-system call
//                         (create, rename, remove); a test may throw from it
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace foldmend {

class File {
 public:
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& o) noexcept : f_(o.f_) { o.f_ = nullptr; }
  ~File() { close(); }

  // mode as for fopen ("rb", "r+b", "w+b", "wt", ...). Modes that create a
  // file pass through the mutation hook.
  bool open(const std::string& path, const char* mode);
  void close();
  bool is_open() const { return f_ != nullptr; }
  std::size_t read(void* buf, std::size_t n);
  std::size_t write(const void* buf, std::size_t n);
  bool seek(std::uint64_t pos);
  std::uint64_t tell();
  std::uint64_t size();  // keeps the position
  bool flush();
  // Copies n bytes from `from` at offset `at` to the end of what was written
  // to this file (its current position), in the kernel where it can; the
  // position then follows the copy. False on a short read or write.
  bool append_range(File& from, std::uint64_t at, std::uint64_t n, std::vector<unsigned char>& buf);
  // Positional access for files not also read or written through the
  // stream at the same time: POSIX leaves the stream position alone, other
  // platforms seek the stream. read_at returns the bytes read (fewer only at
  // the end of the file or on an error); write_at and copy_at are false on a
  // short write. copy_at copies n bytes of `from` at `at` to offset `to_at`
  // of this file, in the kernel where it can, else through buf.
  std::size_t read_at(std::uint64_t at, void* buf, std::size_t n);
  bool write_at(std::uint64_t at, const void* buf, std::size_t n);
  bool copy_at(File& from, std::uint64_t at, std::uint64_t n, std::uint64_t to_at, std::vector<unsigned char>& buf);
  std::FILE* get() { return f_; }

 private:
  std::FILE* f_ = nullptr;
};

// Byte-wise reading through a 64 KiB buffer. Position-aware: seek() drops
// the buffer.
class ByteReader {
 public:
  explicit ByteReader(File& f) : f_(f) {}
  int get() {  // next byte or -1 at end of file
    if (pos_ == len_ && !fill()) return -1;
    return buf_[pos_++];
  }
  int peek() {
    if (pos_ == len_ && !fill()) return -1;
    return buf_[pos_];
  }
  std::uint64_t tell() const { return base_ + pos_; }
  // Up to n bytes; fewer only at the end of the file.
  std::size_t read(void* dst, std::size_t n);
  bool seek(std::uint64_t p);
  // Reads up to and including the next byte equal to c, or to the end of the
  // file. Returns true when c was found.
  bool skip_to(unsigned char c);

 private:
  bool fill();
  File& f_;
  unsigned char buf_[65536];
  std::size_t pos_ = 0, len_ = 0;
  std::uint64_t base_ = 0;  // file position of buf_[0]
};

void set_mutation_hook(std::function<void()> hook);
void mutation_point();

// The path of an existing entry whose last component equals the given one
// without regard to case (Windows does this itself); else the path as given.
std::string resolve_case(const std::string& path);
bool fs_exists(const std::string& path);  // any kind of entry
bool fs_is_file(const std::string& path);
bool fs_is_dir(const std::string& path);
bool fs_size(const std::string& path, std::uint64_t& size);
bool fs_rename(const std::string& from, const std::string& to);
bool fs_move(const std::string& from, const std::string& to);
bool fs_remove(const std::string& path);
// Copies a file (created or truncated), 64 KiB at a time; false on any
// read or write error.
bool fs_copy(const std::string& from, const std::string& to);
bool fs_mkdir(const std::string& path);
// Last platform error code and its text (for the compaction's failure lines).
unsigned long fs_last_error();
std::string fs_error_text(unsigned long code);

}  // namespace foldmend
