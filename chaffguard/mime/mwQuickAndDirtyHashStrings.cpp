#include "mwQuickAndDirtyHashStrings.h"

#include <utility>

namespace chaffguard::mime {
namespace {

unsigned char UpperAscii(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Quicksort with Hoare partitioning around the middle element of each range.
// Pending ranges live on an explicit work list; the smaller side of a partition
// is taken next and the larger one is pushed, so the list stays short.
template <typename Entry, typename SortKey>
void HoareSort(std::vector<Entry>& items, SortKey key) {
  if (items.size() < 2) return;
  struct Range {
    std::ptrdiff_t lo, hi;
  };
  // The larger part is put aside and the smaller one sorted first, so each
  // range put aside is at most half of the one below it: 64 places suffice.
  Range work[64];
  int pending = 0;
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
  HoareSort(order_, [](const Slot& slot) { return slot.hash; });
  sorted_ = true;
}

void TmwQuickAndDirtyHashStrings::SortByInterest() {
  HoareSort(order_, [this](const Slot& slot) { return items_[slot.item].Interest; });
  sorted_ = order_.size() < 2;
}

int TmwQuickAndDirtyHashStrings::IndexOf(std::string_view key) {
  if (order_.empty()) return -1;
  const std::uint32_t h = HashOf(key);
  if (h > max_hash_) return -1;
  SortByHash();
  std::size_t lo = 0;
  std::size_t hi = order_.size();
  while (lo < hi) {  // first item whose hash is not below h
    const std::size_t mid = lo + (hi - lo) / 2;
    if (order_[mid].hash < h) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  for (std::size_t i = lo; i < order_.size() && order_[i].hash == h; ++i) {
    if (SameKey(items_[order_[i].item].Key, key)) return static_cast<int>(i);
  }
  return -1;
}

int TmwQuickAndDirtyHashStrings::Add(std::string_view key) {
  if (items_.size() == items_.capacity()) {
    const std::size_t grown = items_.size() + items_.size() / 10 + 1;
    items_.reserve(grown);
    order_.reserve(grown);
  }
  TmwHashStringItem item;
  item.Hash = HashOf(key);
  item.Key.assign(key);
  if (item.Hash > max_hash_) max_hash_ = item.Hash;
  const Slot slot{item.Hash, static_cast<std::uint32_t>(items_.size())};
  items_.push_back(std::move(item));
  if (policy_ == InsertPolicy::kKeepSorted && sorted_) {
    std::size_t lo = 0;
    std::size_t hi = order_.size();
    while (lo < hi) {  // first item whose hash is above the new one
      const std::size_t mid = lo + (hi - lo) / 2;
      if (order_[mid].hash <= slot.hash) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(lo), slot);
    return static_cast<int>(lo);
  }
  order_.push_back(slot);
  sorted_ = order_.size() < 2;
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
  order_.clear();
  sorted_ = true;
  max_hash_ = 0;
}

}  // namespace chaffguard::mime
