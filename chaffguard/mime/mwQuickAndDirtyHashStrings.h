// mwQuickAndDirtyHashStrings: the token list of one message.
//
// Purpose: a flat array of token items that counts how often each token key
// occurs, found again by an additive hash. Used by the tokenizer (adding keys),
// the scorer (probability and interest, ordering by interest) and the database
// layer (row key and counts).
//
// Identity: two keys are the same token when they have the same length and
// are equal with the ASCII letters a to z compared without case; bytes 128 to
// 255 compare exactly. The hash of a key is the sum of its bytes after ASCII
// upper-casing, so equal keys have equal hashes.
//
// Order: items stay in insertion order until a lookup needs them sorted by
// hash; every insertion clears the sorted flag, and SortByInterest() puts them
// in ascending order of interest. Both sorts are the same quicksort (Hoare
// partitioning around the middle element of each range) driven by an explicit
// work list, smaller range first, so any number of items in any order sorts
// without recursion and with a work list of at most log2(n) ranges. Ties keep
// the order this sort leaves them in, which is deterministic for a given input.
// The items themselves never move: the order is a separate array of 8-byte
// entries (hash, item number) and the sorts move those, with the same
// comparisons and exchanges as if they moved the items, so the resulting order
// is the same; a sort costs a fraction of moving whole items. References
// returned by operator[] stay valid until the next insertion.
//
// Insertion policy (chosen at construction):
//   kLazyResort  (default) a new item is appended and clears the sorted flag,
//                so the next lookup sorts the whole array again; a message
//                whose distinct tokens arrive one by one costs one sort per
//                new token.
//   kKeepSorted  while the array is sorted, a new item is inserted at its hash
//                position (after the items of equal hash), so it stays sorted
//                and lookups never sort again. Keys, counts and lookups are the
//                same as with kLazyResort; only the order of items of equal
//                hash may differ (here: insertion order).
//
// Capacity: when the array is full it grows to count + count / 10 + 1 items.
// Limits: at most INT32_MAX items; lookups and additions never fail otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chaffguard::mime {

class TmwHashStringItem {
 public:
  std::uint32_t Hash = 0;       // additive hash of Key
  std::string Key;              // prefix + token text, spelled as first seen
  std::int32_t Count = 1;       // occurrences in this message
  std::int32_t DatabaseKey = 0; // row key in the words database, 0 when not stored
  std::int32_t SpamCount = 0;   // counts read from the database
  std::int32_t GoodCount = 0;
  long double Probability = 0;  // word probability
  long double Interest = 0;     // distance of the probability from neutral
};

class TmwQuickAndDirtyHashStrings {
 public:
  enum class InsertPolicy { kLazyResort, kKeepSorted };

  explicit TmwQuickAndDirtyHashStrings(InsertPolicy policy = InsertPolicy::kLazyResort)
      : policy_(policy) {}

  // The additive hash of a key: sum of its bytes, ASCII letters upper-cased.
  static std::uint32_t HashOf(std::string_view key);
  // Token identity: same length, equal with ASCII letters compared without case.
  static bool SameKey(std::string_view a, std::string_view b);

  // Number of items.
  int Count() const { return static_cast<int>(order_.size()); }
  std::size_t Capacity() const { return items_.capacity(); }

  // Item by position in the current order; 0 <= index < Count().
  TmwHashStringItem& operator[](int index) { return items_[order_[static_cast<std::size_t>(index)].item]; }
  const TmwHashStringItem& operator[](int index) const {
    return items_[order_[static_cast<std::size_t>(index)].item];
  }

  // Position of the item with this key, or -1. Sorts by hash first when needed.
  int IndexOf(std::string_view key);

  // Adds a new item (count 1) without looking for an existing one and returns
  // its position: appended, clearing the sorted flag, or (kKeepSorted on a
  // sorted list) inserted at its hash position.
  int Add(std::string_view key);

  // Adds a token occurrence: a new key is added with count 1; an existing key
  // gets count + 1 when counting is true and is left unchanged otherwise.
  // Returns the item's position.
  int AddOccurrence(std::string_view key, bool counting);

  // Orders the items by hash (a no-op when they already are).
  void SortByHash();
  // Orders the items by interest, ascending; clears the sorted flag.
  void SortByInterest();

  bool IsSortedByHash() const { return sorted_; }
  void Clear();

 private:
  // One entry of the order: the item's hash (kept here for the sort and the
  // search) and its position in items_.
  struct Slot {
    std::uint32_t hash;
    std::uint32_t item;
  };

  InsertPolicy policy_;
  std::vector<TmwHashStringItem> items_;  // in insertion order, never moved
  std::vector<Slot> order_;               // the current order of the items
  bool sorted_ = true;         // an empty list is sorted
  std::uint32_t max_hash_ = 0; // largest hash inserted so far
};

}  // namespace chaffguard::mime
