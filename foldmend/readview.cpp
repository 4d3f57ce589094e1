#include "readview.h"

#include <algorithm>
#include <new>

#if !defined(_WIN32)
#include <sys/mman.h>
#endif

namespace foldmend {

ReadView::ReadView(File& f) : f_(f) { size_ = f.size(); }

ReadView::~ReadView() {
#if !defined(_WIN32)
  if (map_) ::munmap(const_cast<unsigned char*>(map_), static_cast<std::size_t>(size_));
#endif
}

const unsigned char* ReadView::bytes(std::uint64_t at, std::size_t n) {
  if (n > kMaxPiece || at > size_ || n > size_ - at) return nullptr;
  if (map_) return map_ + at;
  if (whole_) return buf_.data() + at;
  if (at >= buf_at_ && n <= buf_len_ && at - buf_at_ <= buf_len_ - n) {
    ++hits_;
    return buf_.data() + (at - buf_at_);
  }
  if (buf_len_ > 0) window_ = hits_ == 0 ? std::max(kMinWindow, window_ / 4) : std::min(kWindow, window_ * 2);
  hits_ = 0;
  std::uint64_t rest = size_ - at;
  std::size_t k = n > window_ ? n : window_;
  if (k > rest) k = static_cast<std::size_t>(rest);
  if (buf_.size() < k || buf_.empty()) buf_.resize(k > kWindow ? k : kWindow);
  buf_len_ = 0;
  if (k > 0 && f_.read_at(at, buf_.data(), k) != k) return nullptr;
  buf_at_ = at;
  buf_len_ = k;
  return buf_.data();
}

const unsigned char* ReadView::whole() {
  if (map_) return map_;
  if (whole_) return buf_.data();
#if !defined(_WIN32)
  if (f_.get() && size_ > 0 && size_ <= SIZE_MAX) {
    // Populated at once: one system call instead of a page fault per piece.
    int flags = MAP_SHARED;
#ifdef MAP_POPULATE
    flags |= MAP_POPULATE;
#endif
    void* p = ::mmap(nullptr, static_cast<std::size_t>(size_), PROT_READ, flags, fileno(f_.get()), 0);
    if (p != MAP_FAILED) {
      map_ = static_cast<const unsigned char*>(p);
      return map_;
    }
  }
#endif
  if (size_ > SIZE_MAX / 2) return nullptr;
  try {
    buf_.resize(static_cast<std::size_t>(size_) + 1);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  buf_len_ = 0;
  if (size_ > 0 && f_.read_at(0, buf_.data(), static_cast<std::size_t>(size_)) != size_) return nullptr;
  whole_ = true;
  return buf_.data();
}

}  // namespace foldmend
