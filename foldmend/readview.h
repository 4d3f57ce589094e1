// Random access to the bytes of an open file without a system call per
// access: the file is mapped into memory where the platform allows it
// (POSIX mmap, read-only, shared with the page cache), otherwise small
// pieces are read on demand into a buffer.
//
//   ReadView v(file)      the file's size is taken once, at construction
//   v.size()              that size
//   v.bytes(at, n)        pointer to n bytes at offset at, or nullptr when
//                         they do not lie wholly inside the file (or the
//                         read fails); valid until the next call
//   v.whole()             pointer to all size() bytes (read into memory
//                         where the file cannot be mapped), nullptr when
//                         that fails; valid while the view lives
//
// Limits: n is at most kMaxPiece; the file must not shrink while the view
// is in use (the folder is opened for writing, which keeps other writers
// out on Windows; on POSIX this is the caller's agreement).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fileio.h"

namespace foldmend {

class ReadView {
 public:
  static constexpr std::size_t kMaxPiece = 1 << 16;
  explicit ReadView(File& f);
  ReadView(const ReadView&) = delete;
  ReadView& operator=(const ReadView&) = delete;
  ~ReadView();
  std::uint64_t size() const { return size_; }
  const unsigned char* bytes(std::uint64_t at, std::size_t n);
  const unsigned char* whole();

 private:
  File& f_;
  std::uint64_t size_ = 0;
  const unsigned char* map_ = nullptr;
  std::vector<unsigned char> buf_;
  bool whole_ = false;  // buf_ holds the whole file
};

}  // namespace foldmend
