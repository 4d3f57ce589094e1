#include "mwQuickAndDirtyHashStrings.h"

#include <array>
#include <utility>

namespace chaffguard::mime {
namespace {

unsigned char UpperAscii(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Quicksort with Hoare partitioning around the middle element of each range.
// Pending ranges live on an explicit work list; the smaller side of a partition
// is taken next and the larger one is pushed, so the list stays short.
// `items` holds item numbers; key(n) gives the sort key of item n.
template <typename SortKey>
void HoareSort(std::vector<std::uint32_t>& items, SortKey key) {
  if (items.size() < 2) return;
  struct Range {
    std::ptrdiff_t lo, hi;
  };
  // The larger side is pushed and the smaller one taken next, so every pushed
  // range is at most half of the one below it: 64 entries cover any size_t count.
  std::array<Range, 64> work;
  std::size_t pending = 0;
  work[pending++] = {0, static_cast<std::ptrdiff_t>(items.size()) - 1};
  while (pending > 0) {
    Range r = work[--pending];
    while (r.lo < r.hi) {
      std::ptrdiff_t i = r.lo;
      std::ptrdiff_t j = r.hi;
      const auto pivot = key(items[static_cast<std::size_t>(r.lo + (r.hi - r.lo) / 2)]);
      do {
        while (key(items[static_cast<std::size_t>(i)]) < pivot) ++i;
        while (pivot < key(items[static_cast<std::size_t>(j)])) --j;
        if (i <= j) {
          if (i != j) std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
          ++i;
          --j;
        }
      } while (i <= j);
      // Left range [lo, j], right range [i, hi].
      if (j - r.lo < r.hi - i) {
        if (i < r.hi) work[pending++] = {i, r.hi};
        r.hi = j;
      } else {
        if (r.lo < j) work[pending++] = {r.lo, j};
        r.lo = i;
      }
    }
  }
}

}  // namespace

std::uint32_t TmwQuickAndDirtyHashStrings::HashOf(std::string_view key) {
  std::uint32_t h = 0;
  for (char c : key) h += UpperAscii(static_cast<unsigned char>(c));
  return h;
}

bool TmwQuickAndDirtyHashStrings::SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(static_cast<unsigned char>(a[i])) != UpperAscii(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

void TmwQuickAndDirtyHashStrings::SortByHash() {
  if (sorted_) return;
  const std::uint32_t* hashes = hashes_.data();
  HoareSort(order_, [hashes](std::uint32_t n) { return hashes[n]; });
  sorted_ = true;
}

void TmwQuickAndDirtyHashStrings::SortByInterest() {
  std::vector<long double> interest(items_.size());
  for (std::size_t n = 0; n < items_.size(); ++n) interest[n] = items_[n].Interest;
  const long double* keys = interest.data();
  HoareSort(order_, [keys](std::uint32_t n) { return keys[n]; });
  sorted_ = items_.size() < 2;
}

int TmwQuickAndDirtyHashStrings::IndexOf(std::string_view key) {
  if (items_.empty()) return -1;
  const std::uint32_t h = HashOf(key);
  if (h > max_hash_) return -1;
  SortByHash();
  std::size_t lo = 0;
  std::size_t hi = order_.size();
  while (lo < hi) {  // first item whose hash is not below h
    const std::size_t mid = lo + (hi - lo) / 2;
    if (hashes_[order_[mid]] < h) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  for (std::size_t i = lo; i < order_.size() && hashes_[order_[i]] == h; ++i) {
    if (SameKey(items_[order_[i]].Key, key)) return static_cast<int>(i);
  }
  return -1;
}

int TmwQuickAndDirtyHashStrings::Add(std::string_view key) {
  if (items_.size() == items_.capacity()) {
    const std::size_t grown = items_.size() + items_.size() / 10 + 1;
    items_.reserve(grown);
    hashes_.reserve(grown);
    order_.reserve(grown);
  }
  const auto number = static_cast<std::uint32_t>(items_.size());
  TmwHashStringItem item;
  item.Hash = HashOf(key);
  item.Key.assign(key);
  if (item.Hash > max_hash_) max_hash_ = item.Hash;
  hashes_.push_back(item.Hash);
  items_.push_back(std::move(item));
  const std::uint32_t h = hashes_.back();
  if (policy_ == InsertPolicy::kKeepSorted && sorted_) {
    std::size_t lo = 0;
    std::size_t hi = order_.size();
    while (lo < hi) {  // first item whose hash is above the new one
      const std::size_t mid = lo + (hi - lo) / 2;
      if (hashes_[order_[mid]] <= h) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(lo), number);
    return static_cast<int>(lo);
  }
  order_.push_back(number);
  sorted_ = items_.size() < 2;
  return static_cast<int>(order_.size()) - 1;
}

int TmwQuickAndDirtyHashStrings::AddOccurrence(std::string_view key, bool counting) {
  const int index = IndexOf(key);
  if (index < 0) return Add(key);
  if (counting) ++(*this)[index].Count;
  return index;
}

void TmwQuickAndDirtyHashStrings::Clear() {
  items_.clear();
  hashes_.clear();
  order_.clear();
  sorted_ = true;
  max_hash_ = 0;
}

}  // namespace chaffguard::mime
