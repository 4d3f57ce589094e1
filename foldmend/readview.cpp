#include "readview.h"

#include <new>

#if !defined(_WIN32)
#include <sys/mman.h>
#endif

namespace foldmend {

ReadView::ReadView(File& f) : f_(f) {
  size_ = f.size();
#if !defined(_WIN32)
  if (f.get() && size_ > 0 && size_ <= SIZE_MAX) {
    void* p = ::mmap(nullptr, static_cast<std::size_t>(size_), PROT_READ, MAP_SHARED, fileno(f.get()), 0);
    if (p != MAP_FAILED) map_ = static_cast<const unsigned char*>(p);
  }
#endif
}

ReadView::~ReadView() {
#if !defined(_WIN32)
  if (map_) ::munmap(const_cast<unsigned char*>(map_), static_cast<std::size_t>(size_));
#endif
}

const unsigned char* ReadView::bytes(std::uint64_t at, std::size_t n) {
  if (n > kMaxPiece || at > size_ || n > size_ - at) return nullptr;
  if (map_) return map_ + at;
  if (whole_) return buf_.data() + at;
  buf_.resize(n ? n : 1);
  if (n > 0 && (!f_.seek(at) || f_.read(buf_.data(), n) != n)) return nullptr;
  return buf_.data();
}

const unsigned char* ReadView::whole() {
  if (map_) return map_;
  if (size_ > SIZE_MAX / 2) return nullptr;
  try {
    buf_.resize(static_cast<std::size_t>(size_) + 1);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (size_ > 0 && (!f_.seek(0) || f_.read(buf_.data(), static_cast<std::size_t>(size_)) != size_)) return nullptr;
  whole_ = true;
  return buf_.data();
}

}  // namespace foldmend
