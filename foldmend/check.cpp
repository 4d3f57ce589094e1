#include "check.h"

#include <cstdio>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "fileio.h"
#include "format.h"
#include "readview.h"
#include "winfs.h"

namespace foldmend {

const char* const kCheckTexts[10] = {
    "No problems were encountered in this folder",
    "Error opening folder master file",
    "Error opening folder index file",
    "Index file length not multiple of IMESSAGE size",
    "Unexpected EOF encountered in index file",
    "IMESSAGE numbering sequence is invalid in index",
    "Location indicated in master file is out of bounds",
    "Seek failure in master file",
    "Character before start of message is not Ctrl+Z.",
    "Folder contains messages with non-unique IDs",
};

static std::string result_line(int status, int dups) {
  char buf[256];
  if (status == 0)
    std::snprintf(buf, sizeof buf, "%s\r\n", kCheckTexts[0]);
  else if (status == 9)
    std::snprintf(buf, sizeof buf, "#%03d Folder contains %d messages with non-unique IDs", 17, dups);
  else
    std::snprintf(buf, sizeof buf, "#%03d %s\r\n", status + 8, kCheckTexts[status]);
  return buf;
}

namespace {

// IDs seen so far: the 14 bytes of the field up to the first NUL, in an
// open-addressing table (no allocation per record).
class SeenIds {
 public:
  // Sized once for `expected` IDs: growing (and filling) the table again and
  // again cost more than the whole scan.
  explicit SeenIds(std::uint64_t expected) {
    std::size_t size = 1024;
    while (size / 2 < expected && size < kMaxFirstSize) size *= 2;  // more grow later
    resize(size);
  }
  // True when the ID was not seen before.
  bool insert(const unsigned char* field) {
    Key k{};
    for (std::size_t i = 0; i < kIdField && field[i]; ++i) k[i] = field[i];
    if ((count_ + 1) * 2 > size_) grow();
    std::size_t mask = size_ - 1;
    for (std::size_t h = hash(k) & mask;; h = (h + 1) & mask) {
      if (!used_[h]) {
        used_[h] = 1;
        slots_[h] = k;
        ++count_;
        return true;
      }
      if (slots_[h] == k) return false;
    }
  }

 private:
  using Key = std::array<unsigned char, kIdField>;
  static constexpr std::size_t kMaxFirstSize = std::size_t{1} << 20;
  static std::size_t hash(const Key& k) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : k) h = (h ^ c) * 1099511628211ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
  // Slots are left unset: only those marked used are read.
  void resize(std::size_t size) {
    slots_.reset(new Key[size]);
    used_.assign(size, 0);
    size_ = size;
  }
  void grow() {
    std::unique_ptr<Key[]> old = std::move(slots_);
    std::vector<unsigned char> old_used = std::move(used_);
    const std::size_t old_size = size_;
    resize(size_ * 2);
    std::size_t mask = size_ - 1;
    for (std::size_t i = 0; i < old_size; ++i) {
      if (!old_used[i]) continue;
      std::size_t h = hash(old[i]) & mask;
      while (used_[h]) h = (h + 1) & mask;
      used_[h] = 1;
      slots_[h] = old[i];
    }
  }
  std::unique_ptr<Key[]> slots_;
  std::vector<unsigned char> used_;
  std::size_t size_ = 0;
  std::size_t count_ = 0;
};

}  // namespace

static int scan(Context& ctx, File& master, File& index, int& dups, MasterNotes* notes) {
  ReadView mview(master);
  std::uint64_t mlen = mview.size();
  std::uint64_t ilen = index.size();
  if (notes) {
    notes->index_size = ilen;
    notes->master_size = mlen;
    notes->before_end.clear();
  }
  if (ilen % kRecordSize != 0) return 3;
  std::uint64_t n = ilen / kRecordSize;
  if (notes && n <= 0x10000) notes->before_end.assign(static_cast<std::size_t>(n), MasterNotes::kUnknown);
  SeenIds seen(std::min<std::uint64_t>(n, 0x10001));  // more records fail the numbering check
  ByteReader in(index);
  for (std::uint64_t i = 0; i < n; ++i) {
    Record r;
    if (in.read(r.b.data(), kRecordSize) != kRecordSize) return 4;
    if (r.sequence() != (i & 0xFFFF) || i > 0xFFFF) return 5;
    std::uint32_t off = r.offset();
    if (off < kHeaderSize || off > mlen) return 6;
    if (i > 0) {
      int c = -1;
      if (off - 1 < mlen) {
        // off >= kHeaderSize: the byte before the expected Ctrl+Z is there too.
        const unsigned char* p = mview.bytes(off - 2, 2);
        if (!p) return 7;
        c = p[1];
        if (notes && i < notes->before_end.size())
          notes->before_end[i] = p[0] == kCtrlZ ? MasterNotes::kCtrlZ : MasterNotes::kOther;
      }
      if (c >= 0 && c != kCtrlZ) {
        ctx.out.emit(0, "Message %d: expected Ctrl+Z at offset %lld.\r\n", static_cast<int>(i - 1),
                     static_cast<long long>(off) - 1);
        return 8;
      }
    }
    if (!seen.insert(&r.b[10])) {
      std::string id = r.id();
      if (dups == 0) ctx.out.emit(0, "\r\n");
      ctx.out.emit(0, "Warning: message %d has non-unique ID part (%s)\r\n", r.sequence(), id.c_str());
      ++dups;
    }
  }
  return 0;
}

int check_folder(Context& ctx, const std::string& path, std::string& line, MasterNotes* notes) {
  std::string mname = with_master_extension(path);
  File master, index;
  int status = 0, dups = 0;
  if (!master.open(mname, "r+b")) {
    status = 1;
  } else if (!index.open(index_name(path), "r+b")) {
    status = 2;
  } else {
    status = scan(ctx, master, index, dups, notes);
    if (status == 0 && dups > 0) status = 9;
  }
  line = result_line(status, dups);
  return status;
}

int check_matching(Context& ctx, const std::string& path, MasterNotes* notes) {
  auto names = list_matches(path);
  if (names.empty()) {
    ctx.out.emit(0, "#041 No matching folder files found.\r\n");
    return 1;
  }
  std::string dir = dir_part(path);
  for (const auto& name : names) {
    ctx.out.emit(0, "Checking '%s'...\r\n", name.c_str());
    std::string line;
    if (notes) *notes = MasterNotes{};
    int status = check_folder(ctx, dir + name, line, notes);
    if (status > 0) {
      ctx.out.emit(0, "!! Found internal consistency error:\r\n");
      ctx.out.emit(0, "%.60s\r\n", line.c_str());
      if (status == 9) {
        ctx.out.emit(0, "** Note **\r\n");
        ctx.out.emit(0, "Non-unique IDs are only a problem if you access this folder via IMAP.\r\n");
        ctx.out.emit(0, "You can fix non-unique IDs using the 'Fix IDs' tab without otherwise\r\n");
        ctx.out.emit(0, "altering or rebuilding the folder.\r\n");
      }
      return status;
    }
    ctx.out.emit(0, "Folder appears OK - no consistency errors encountered.\r\n");
  }
  return 0;
}

}  // namespace foldmend
