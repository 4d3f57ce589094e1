#include "fixids.h"

#include <algorithm>
#include <new>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "fileio.h"
#include "format.h"
#include "readview.h"
#include "winfs.h"

namespace foldmend {

namespace {

// An ID folded to lower case (ASCII letters only, as tolower does in the
// "C" locale this program runs in), zero-padded to the field's width and packed
// into two integers: equal keys are IDs equal without regard to case. The
// order of keys only serves to bring equal ones together.
struct Key {
  std::uint64_t a = 0, b = 0;
  bool operator==(const Key&) const = default;
  bool operator<(const Key& o) const { return a != o.a ? a < o.a : b < o.b; }
};
static_assert(kIdField <= 16, "an ID field fits in a key");

// From the ID field of a record: bytes up to the first NUL.
Key key_of_field(const unsigned char* field) {
  unsigned char k[16] = {};
  for (std::size_t i = 0; i < kIdField && field[i] != 0; ++i)
    k[i] = field[i] >= 'A' && field[i] <= 'Z' ? static_cast<unsigned char>(field[i] + ('a' - 'A')) : field[i];
  Key key;
  std::memcpy(&key.a, k, 8);
  std::memcpy(&key.b, k + 8, 8);
  return key;
}

Key key_of(const std::string& id) {
  unsigned char f[kIdField + 1] = {};
  std::memcpy(f, id.data(), id.size() < kIdField ? id.size() : kIdField);
  return key_of_field(f);
}

struct Event {
  std::size_t j, k, r;
  int number;  // 42, 43 or 44: the line if no new ID can be made
};

struct Entry {
  Key key;
  std::size_t index;
  bool operator<(const Entry& o) const { return key == o.key ? index < o.index : key < o.key; }
};

// The index as loaded, with the records whose ID changed kept aside.
class Records {
 public:
  Records(const unsigned char* base, std::size_t n) : base_(base), n_(n) {}
  std::size_t size() const { return n_; }
  std::uint32_t flags(std::size_t i) const { return get32(base_ + i * kRecordSize); }
  const unsigned char* id_field(std::size_t i) const { return base_ + i * kRecordSize + 10; }
  Record get(std::size_t i) const {
    auto it = changed_.find(i);
    if (it != changed_.end()) return it->second;
    Record r;
    std::memcpy(r.b.data(), base_ + i * kRecordSize, kRecordSize);
    return r;
  }
  void put(std::size_t i, const Record& r) { changed_[i] = r; }
  const std::map<std::size_t, Record>& changed() const { return changed_; }

 private:
  const unsigned char* base_;
  std::size_t n_;
  std::map<std::size_t, Record> changed_;
};

// The (j, k) pairs at which the all-pairs walk gives a new ID, and to whom.
// New IDs are unique when made, so they never start another pair: each group
// of equal IDs is settled by its own members alone.
std::vector<Event> plan(const Records& recs, const std::vector<Entry>& sorted) {
  std::vector<Event> events;
  std::size_t g = 0;
  while (g < sorted.size()) {
    std::size_t e = g + 1;
    while (e < sorted.size() && sorted[e].key == sorted[g].key) ++e;
    std::size_t m = g;
    while (m + 1 < e) {
      std::size_t j = sorted[m].index;
      bool j_keeps = recs.flags(j) & kFlagKeepId;
      std::size_t next = e;
      for (std::size_t x = m + 1; x < e; ++x) {
        std::size_t k = sorted[x].index;
        bool k_keeps = recs.flags(k) & kFlagKeepId;
        if (!k_keeps) {
          events.push_back({j, k, k, 42});
        } else if (!j_keeps) {
          events.push_back({j, k, j, 43});
          next = x;  // j has a new ID now; k leads the rest of the group
          break;
        } else {
          events.push_back({j, k, k, 44});
        }
      }
      m = next;
    }
    g = e;
  }
  std::sort(events.begin(), events.end(),
            [](const Event& a, const Event& b) { return a.j != b.j ? a.j < b.j : a.k < b.k; });
  return events;
}

// The IDs in use: the original ones, found in the sorted entries (equal
// keys lie together, their number is the number of records bearing that
// ID), less those given up, and the new ones.
class IdsInUse {
 public:
  explicit IdsInUse(const std::vector<Entry>& sorted) : sorted_(sorted) {}
  bool contains(const Key& k) const {
    std::size_t n = original(k);
    if (n > 0) {
      auto it = given_up_.find(k);
      if (it == given_up_.end() || it->second < n) return true;
    }
    return added_.count(k) > 0;
  }
  void replace(const Key& old_key, const Key& new_key) {
    std::size_t n = original(old_key);
    std::size_t& gone = given_up_[old_key];
    if (n > gone) {
      ++gone;
    } else {
      added_.erase(old_key);
    }
    added_.insert(new_key);
  }

 private:
  std::size_t original(const Key& k) const {
    auto range = std::equal_range(sorted_.begin(), sorted_.end(), Entry{k, 0}, by_key);
    return static_cast<std::size_t>(range.second - range.first);
  }
  static bool by_key(const Entry& a, const Entry& b) { return a.key < b.key; }
  const std::vector<Entry>& sorted_;
  std::map<Key, std::size_t> given_up_;  // per original ID: records that left it
  std::set<Key> added_;
};

}  // namespace

int fix_ids_folder(Context& ctx, const std::string& path) {
  std::string iname = index_name(path);
  File f;
  if (!f.open(iname, "r+b")) {
    ctx.out.emit(0, "#039 Could not open the specified folder's existing index file.\r\n");
    return -1;
  }
  std::uint64_t len = f.size();
  if (len == 0) {
    ctx.out.emit(0, "Folder contains no messages - nothing to do.\r\n");
    return 0;
  }
  if (len % kRecordSize != 0) {
    ctx.out.emit(0, "#045 Folder index is an invalid size - aborting.\r\n");
    return -1;
  }
  // The index is mapped (or read) whole; only changed records are copied.
  ReadView view(f);
  const unsigned char* base = view.whole();
  if (!base) {
    ctx.out.emit(0, "#040 Memory allocation error while loading folder index.\r\n");
    return -1;
  }
  Records recs(base, static_cast<std::size_t>(len / kRecordSize));
  std::vector<Entry> sorted;
  try {
    sorted.resize(recs.size());
  } catch (const std::bad_alloc&) {
    ctx.out.emit(0, "#040 Memory allocation error while loading folder index.\r\n");
    return -1;
  }
  for (std::size_t i = 0; i < recs.size(); ++i) sorted[i] = {key_of_field(recs.id_field(i)), i};
  std::sort(sorted.begin(), sorted.end());
  IdsInUse in_use(sorted);
  int corrections = 0;
  for (const Event& e : plan(recs, sorted)) {
    bool made = false;
    for (int attempt = 0; attempt < 30 && !made; ++attempt) {
      std::string id = ctx.draw8(ctx.fix_counter) + ".CNM";
      Key key = key_of(id);
      if (in_use.contains(key)) continue;
      Record r = recs.get(e.r);
      in_use.replace(key_of_field(&r.b[10]), key);
      r.set_id(id);
      recs.put(e.r, r);
      made = true;
    }
    if (!made) {
      ctx.out.emit(0, "#%03d Could not create unique ID for message.\r\n", e.number);
      return -1;
    }
    ++corrections;
  }
  std::string name = name_part(path);
  if (corrections == 0) {
    ctx.out.emit(0, "No ID corrections were required in folder '%s'.\r\n", name.c_str());
    return 0;
  }
  // Only ID fields changed: records that kept theirs are already on disk.
  bool write_ok = true;
  for (const auto& [i, r] : recs.changed())
    write_ok = write_ok && f.write_at(i * kRecordSize, r.b.data(), kRecordSize);
  if (!write_ok || !f.flush()) {
    ctx.out.emit(0, "#041 File write error saving index - you will need to rebuild this folder.\r\n");
    return -1;
  }
  ctx.out.emit(0, "Made %d ID corrections to folder '%s'.\r\n", corrections, name.c_str());
  std::string vnm = uid_map_name(path);
  if (fs_is_file(vnm)) {
    ctx.out.emit(0, "CorvaneI UID mapping file '%s' is now invalid - removing it.\r\n", name_part(vnm).c_str());
    fs_remove(vnm);
  }
  f.close();
  return corrections;
}

int fix_ids_matching(Context& ctx, const std::string& path) {
  auto names = list_matches(path);
  if (names.empty()) {
    ctx.out.emit(0, "#041 No matching folder files found.\r\n");
    return 1;
  }
  std::string dir = dir_part(path);
  for (const auto& name : names) {
    ctx.out.emit(0, "Correcting IDs in '%s'...\r\n", name.c_str());
    if (fix_ids_folder(ctx, dir + name) == -1)
      ctx.out.emit(0, "** Errors occurred while checking message IDs.\r\n");
    else
      ctx.out.emit(0, "** ID checking and correction completed without errors. **\r\n");
  }
  return 1;
}

}  // namespace foldmend
