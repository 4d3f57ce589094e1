// Random access to the bytes of an open file.
//
//   ReadView v(file)      the file's size is taken once, at construction
//   v.size()              that size
//   v.bytes(at, n)        pointer to n bytes at offset at, or nullptr when
//                         they do not lie wholly inside the file (or the
//                         read fails); valid until the next call. Read by
//                         position into a window of up to kWindow bytes,
//                         so nearby requests (a byte per small message)
//                         share one system call; the window shrinks while
//                         it serves only the request that filled it (large
//                         messages), so little is copied for nothing.
//   v.whole()             pointer to all size() bytes (mapped where the
//                         platform allows it: POSIX mmap, read-only; else
//                         read into memory), nullptr when that fails; valid
//                         while the view lives
//
// bytes() does not map the file: touching one byte per message of a large
// mapped file costs a page fault each, several times a positional read on
// virtual machines.
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
  static constexpr std::size_t kWindow = 1 << 16, kMinWindow = 64;
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
  std::uint64_t buf_at_ = 0, buf_len_ = 0;  // the window buf_ holds
  std::size_t window_ = kWindow;
  unsigned hits_ = 0;  // requests served from the window since it was read
  bool whole_ = false;  // buf_ holds the whole file
};

}  // namespace foldmend
