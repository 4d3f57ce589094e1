#include "mwQuickAndDirtyHashStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace chaffguard::mime {
namespace {

using List = TmwQuickAndDirtyHashStrings;

TEST(TokenListHash, SumsTheBytesWithAsciiLettersUpperCased) {
  EXPECT_EQ(List::HashOf(""), 0u);
  EXPECT_EQ(List::HashOf("abc"), 65u + 66u + 67u);
  EXPECT_EQ(List::HashOf("aBc"), List::HashOf("ABC"));
  EXPECT_EQ(List::HashOf("su*1,000"), 83u + 85u + 42u + 49u + 44u + 48u + 48u + 48u);
  EXPECT_EQ(List::HashOf("\xE9"), 0xE9u);
  EXPECT_EQ(List::HashOf(std::string(70000, '\xFF')), 70000u * 255u);
}

TEST(TokenListIdentity, IgnoresAsciiCaseOnlyAndNeedsEqualLength) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"Free", "FREE", true},         {"free", "fReE", true},
      {"free", "free!", false},       {"su*free", "SU*FREE", true},
      {"su*free", "free", false},     {"\xE9t\xE9", "\xC9T\xC9", false},
      {"\xE9t\xE9", "\xE9T\xE9", true}, {"a[", "A{", false},
      {"@", "`", false},              {"", "", true},
  };
  for (const Case& c : cases) EXPECT_EQ(List::SameKey(c.a, c.b), c.same) << c.a << " / " << c.b;
}

struct Step {
  const char* key;
  bool counting;
};

struct Expected {
  const char* key;
  int count;
};

TEST(TokenList, CountsOccurrencesKeepingTheFirstSpelling) {
  const Step steps[] = {{"Free", true},   {"FREE", true},     {"free", false},
                        {"su*free", true}, {"money", false},  {"MONEY", true},
                        {"\xE9t\xE9", true}, {"\xC9T\xC9", true}, {"\xE9T\xE9", true}};
  const Expected expected[] = {
      {"Free", 2}, {"su*free", 1}, {"money", 2}, {"\xE9t\xE9", 2}, {"\xC9T\xC9", 1}};
  List list;
  for (const Step& s : steps) list.AddOccurrence(s.key, s.counting);
  ASSERT_EQ(list.Count(), 5);
  for (const Expected& e : expected) {
    const int i = list.IndexOf(e.key);
    ASSERT_GE(i, 0) << e.key;
    EXPECT_EQ(list[i].Key, e.key);
    EXPECT_EQ(list[i].Count, e.count) << e.key;
    EXPECT_EQ(list[i].Hash, List::HashOf(e.key));
    EXPECT_EQ(list[i].DatabaseKey, 0);
  }
}

TEST(TokenList, FindsEachOfSeveralKeysSharingOneHash) {
  List list;
  const char* keys[] = {"AD", "BC", "CB", "DA", "ad"};
  for (const char* k : keys) list.AddOccurrence(k, true);
  ASSERT_EQ(list.Count(), 4);  // "ad" is "AD"
  for (const char* k : {"AD", "BC", "CB", "DA"}) {
    const int i = list.IndexOf(k);
    ASSERT_GE(i, 0) << k;
    EXPECT_EQ(list[i].Key, k);
  }
  EXPECT_EQ(list[list.IndexOf("AD")].Count, 2);
  EXPECT_EQ(list.IndexOf("AE"), -1);
}

TEST(TokenList, InsertionClearsTheSortedFlagAndLookupSortsByHash) {
  List list;
  EXPECT_TRUE(list.IsSortedByHash());
  list.Add("zz");
  list.Add("aa");
  EXPECT_FALSE(list.IsSortedByHash());
  EXPECT_EQ(list[0].Key, "zz");  // insertion order until a lookup
  // A hash above every inserted hash fails without sorting.
  EXPECT_EQ(list.IndexOf("zzz"), -1);
  EXPECT_FALSE(list.IsSortedByHash());
  EXPECT_EQ(list.IndexOf("AA"), 0);
  EXPECT_TRUE(list.IsSortedByHash());
  EXPECT_EQ(list[0].Key, "aa");
  EXPECT_EQ(list[1].Key, "zz");
  list.Add("mm");
  EXPECT_FALSE(list.IsSortedByHash());
}

TEST(TokenList, GrowsByATenthPlusOneWhenFull) {
  List list;
  std::vector<std::size_t> capacities;
  for (int i = 0; i < 14; ++i) {
    list.Add("k" + std::to_string(i));
    capacities.push_back(list.Capacity());
  }
  const std::vector<std::size_t> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 12, 14, 14};
  EXPECT_EQ(capacities, expected);
}

// Reference check over many keys in orders that break naive quicksorts.
void ExpectMatchesReference(const std::vector<std::string>& keys, List::InsertPolicy policy) {
  List list(policy);
  std::map<std::string, int> reference;  // upper-cased key -> count
  for (std::size_t i = 0; i < keys.size(); ++i) {
    list.AddOccurrence(keys[i], true);
    std::string upper = keys[i];
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    ++reference[upper];
    if (i % 997 == 0) list.IndexOf(keys[i]);  // interleave sorts with insertions
  }
  ASSERT_EQ(static_cast<std::size_t>(list.Count()), reference.size());
  for (const auto& [key, count] : reference) {
    const int i = list.IndexOf(key);
    ASSERT_GE(i, 0) << key;
    EXPECT_EQ(list[i].Count, count) << key;
  }
  for (int i = 1; i < list.Count(); ++i) ASSERT_LE(list[i - 1].Hash, list[i].Hash);
}

void ExpectManyKeysFound(List::InsertPolicy policy) {
  std::mt19937 rng(7);
  std::vector<std::string> random_keys;
  for (int i = 0; i < 3000; ++i) {
    std::string k;
    const int n = 3 + static_cast<int>(rng() % 10);
    for (int j = 0; j < n; ++j) k.push_back("abcXYZ019!\xE9"[rng() % 11]);
    random_keys.push_back(k);
  }
  ExpectMatchesReference(random_keys, policy);

  std::vector<std::string> ascending;
  for (int i = 0; i < 2000; ++i) ascending.push_back(std::string(1 + i / 100, 'a') + std::to_string(i));
  ExpectMatchesReference(ascending, policy);
  std::reverse(ascending.begin(), ascending.end());
  ExpectMatchesReference(ascending, policy);

  std::vector<std::string> one_hash;  // every permutation of the same letters
  std::string letters = "abcdef";
  do {
    one_hash.push_back(letters);
  } while (std::next_permutation(letters.begin(), letters.end()));
  ExpectMatchesReference(one_hash, policy);
}

TEST(TokenList, SortsAndFindsManyKeysInAnyOrder) { ExpectManyKeysFound(List::InsertPolicy::kLazyResort); }

TEST(TokenListKeepSorted, FindsManyKeysInAnyOrder) { ExpectManyKeysFound(List::InsertPolicy::kKeepSorted); }

TEST(TokenListKeepSorted, InsertsAtTheHashPositionAfterEqualHashes) {
  List list(List::InsertPolicy::kKeepSorted);
  for (const char* k : {"zz", "aa", "BC", "mm", "AD"}) list.AddOccurrence(k, true);
  EXPECT_TRUE(list.IsSortedByHash());
  std::vector<std::string> order;
  for (int i = 0; i < list.Count(); ++i) order.push_back(list[i].Key);
  EXPECT_EQ(order, (std::vector<std::string>{"aa", "BC", "AD", "mm", "zz"}));
  list.SortByInterest();  // after another ordering, additions append again until a lookup
  list.Add("ab");
  EXPECT_EQ(list[list.Count() - 1].Key, "ab");
  EXPECT_GE(list.IndexOf("ab"), 0);
  EXPECT_TRUE(list.IsSortedByHash());
}

TEST(TokenListKeepSorted, GrowsByATenthPlusOneWhenFull) {
  List list(List::InsertPolicy::kKeepSorted);
  std::vector<std::size_t> capacities;
  for (int i = 0; i < 12; ++i) {
    list.AddOccurrence("k" + std::to_string(11 - i), true);
    capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 12}));
}

TEST(TokenList, SortsByInterestAscending) {
  List list;
  const long double interests[] = {0.3L, 0.1L, 0.49L, 0.1L, 0.0L, 0.25L};
  for (int i = 0; i < 6; ++i) list[list.Add("t" + std::to_string(i))].Interest = interests[i];
  list.SortByInterest();
  EXPECT_FALSE(list.IsSortedByHash());
  for (int i = 1; i < list.Count(); ++i) EXPECT_LE(list[i - 1].Interest, list[i].Interest);
  EXPECT_EQ(list[0].Key, "t4");
  EXPECT_EQ(list[5].Key, "t2");
  EXPECT_GE(list.IndexOf("t3"), 0);  // lookups still work after a sort by interest
}

TEST(TokenList, SortByInterestStaysInBoundsWithNotANumber) {
  List list;
  for (int i = 0; i < 50; ++i) {
    list[list.Add("n" + std::to_string(i))].Interest =
        i % 7 == 0 ? std::numeric_limits<long double>::quiet_NaN() : static_cast<long double>(i % 5);
  }
  list.SortByInterest();
  EXPECT_EQ(list.Count(), 50);
  for (int i = 0; i < 50; ++i) EXPECT_GE(list.IndexOf("n" + std::to_string(i)), 0);
}

TEST(TokenList, ClearEmptiesTheList) {
  List list;
  list.Add("abc");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IndexOf("abc"), -1);
}

// The order of the items after any run of insertions, lookups and sorts is the
// order the quicksort gives when it moves whole items: a plain copy of that
// sort over a vector of (hash, key, interest) is the reference. Keys are built
// from few letters so that many share a hash (the sort's exchanges of equal
// items then decide their order).
namespace order_reference {
struct Item {
  std::uint32_t hash;
  std::string key;
  long double interest;
};
template <typename Key>
void Sort(std::vector<Item>& items, Key key) {
  if (items.size() < 2) return;
  std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> work{{0, static_cast<std::ptrdiff_t>(items.size()) - 1}};
  while (!work.empty()) {
    auto [lo, hi] = work.back();
    work.pop_back();
    while (lo < hi) {
      std::ptrdiff_t i = lo, j = hi;
      const auto pivot = key(items[static_cast<std::size_t>(lo + (hi - lo) / 2)]);
      do {
        while (key(items[static_cast<std::size_t>(i)]) < pivot) ++i;
        while (pivot < key(items[static_cast<std::size_t>(j)])) --j;
        if (i <= j) {
          if (i != j) std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
          ++i;
          --j;
        }
      } while (i <= j);
      if (j - lo < hi - i) {
        if (i < hi) work.push_back({i, hi});
        hi = j;
      } else {
        if (lo < j) work.push_back({lo, j});
        lo = i;
      }
    }
  }
}
}  // namespace order_reference

TEST(TokenList, OrderIsTheOneTheQuicksortGivesWhenMovingWholeItems) {
  std::mt19937 rng(11);
  List list;
  std::vector<order_reference::Item> ref;
  bool ref_sorted = true;
  auto by_hash = [](const order_reference::Item& it) { return it.hash; };
  std::size_t ties = 0;
  std::uint32_t max_hash = 0;
  for (int n = 0; n < 2500; ++n) {
    std::string key;
    const int len = 3 + static_cast<int>(rng() % 3);
    for (int i = 0; i < len; ++i) key += "abcdeABC"[rng() % 8];
    list.AddOccurrence(key, true);
    // The reference: a lookup sorts first (unless the hash is above every
    // hash so far), a new key is appended.
    const std::uint32_t h = List::HashOf(key);
    if (!ref.empty() && h <= max_hash && !ref_sorted) {
      order_reference::Sort(ref, by_hash);
      ref_sorted = true;
    }
    max_hash = std::max(max_hash, h);
    bool found = false;
    for (const auto& it : ref) found = found || List::SameKey(it.key, key);
    if (!found) {
      ref.push_back({h, key, 0});
      ref_sorted = ref.size() < 2;
    }
  }
  ASSERT_EQ(static_cast<std::size_t>(list.Count()), ref.size());
  for (std::size_t i = 0; i < ref.size(); ++i) {
    ASSERT_EQ(list[static_cast<int>(i)].Key, ref[i].key) << i;
    ties += i > 0 && ref[i].hash == ref[i - 1].hash;
  }
  EXPECT_GT(ties, 100u);  // the keys do share hashes
  // Interests with many ties, then the interest sort on both.
  for (std::size_t i = 0; i < ref.size(); ++i) {
    ref[i].interest = static_cast<long double>(List::HashOf(ref[i].key) % 5) / 10;
    list[static_cast<int>(i)].Interest = ref[i].interest;
  }
  order_reference::Sort(ref, [](const order_reference::Item& it) { return it.interest; });
  list.SortByInterest();
  for (std::size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(list[static_cast<int>(i)].Key, ref[i].key) << i;
}

}  // namespace
}  // namespace chaffguard::mime
