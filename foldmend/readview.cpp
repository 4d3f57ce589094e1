#include "readview.h"

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
  buf_.resize(n ? n : 1);
  if (n > 0 && (!f_.seek(at) || f_.read(buf_.data(), n) != n)) return nullptr;
  return buf_.data();
}

}  // namespace foldmend
