#include "fixids.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <unordered_map>
#include <vector>

#include "fileio.h"
#include "format.h"
#include "winfs.h"

namespace foldmend {

namespace {

std::string fold(const std::string& s) {
  std::string r = s;
  for (auto& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

struct Event {
  std::size_t j, k, r;
  int number;  // 42, 43 or 44: the line if no new ID can be made
};

// The (j, k) pairs at which the all-pairs walk gives a new ID, and to whom.
// New IDs are unique when made, so they never start another pair: each group
// of equal IDs is settled by its own members alone.
std::vector<Event> plan(const std::vector<Record>& recs) {
  std::unordered_map<std::string, std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < recs.size(); ++i) groups[fold(recs[i].id())].push_back(i);
  std::vector<Event> events;
  for (auto& [key, members] : groups) {
    if (members.size() < 2) continue;
    std::size_t m = 0;
    while (m < members.size()) {
      std::size_t j = members[m];
      bool j_keeps = recs[j].flags() & kFlagKeepId;
      std::size_t next = members.size();
      for (std::size_t x = m + 1; x < members.size(); ++x) {
        std::size_t k = members[x];
        bool k_keeps = recs[k].flags() & kFlagKeepId;
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
  }
  std::sort(events.begin(), events.end(),
            [](const Event& a, const Event& b) { return a.j != b.j ? a.j < b.j : a.k < b.k; });
  return events;
}

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
  std::vector<Record> recs;
  try {
    recs.resize(static_cast<std::size_t>(len / kRecordSize));
  } catch (const std::bad_alloc&) {
    ctx.out.emit(0, "#040 Memory allocation error while loading folder index.\r\n");
    return -1;
  }
  for (auto& r : recs) {
    if (f.read(r.b.data(), kRecordSize) != kRecordSize) {
      ctx.out.emit(0, "#041 File read error while loading folder index.\r\n");
      return -1;
    }
  }
  std::unordered_map<std::string, std::size_t> in_use;  // folded ID -> records bearing it
  for (const auto& r : recs) ++in_use[fold(r.id())];
  int corrections = 0;
  for (const Event& e : plan(recs)) {
    bool made = false;
    for (int attempt = 0; attempt < 30 && !made; ++attempt) {
      std::string id = ctx.draw8(ctx.fix_counter) + ".CNM";
      std::string key = fold(id);
      auto it = in_use.find(key);
      if (it != in_use.end() && it->second > 0) continue;
      auto old = in_use.find(fold(recs[e.r].id()));
      if (old != in_use.end() && old->second > 0) --old->second;
      ++in_use[key];
      recs[e.r].set_id(id);
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
  f.seek(0);
  for (const auto& r : recs) {
    if (f.write(r.b.data(), kRecordSize) != kRecordSize) {
      ctx.out.emit(0, "#041 File write error saving index - you will need to rebuild this folder.\r\n");
      return -1;
    }
  }
  if (!f.flush()) {
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
