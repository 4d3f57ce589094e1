#include "compact.h"

#include <cstdio>
#include <vector>

#include "check.h"
#include "fileio.h"
#include "format.h"
#include "readview.h"
#include "winfs.h"

namespace foldmend {

namespace {

constexpr std::size_t kCopyBlock = 8192;
constexpr std::size_t kBigBlock = 1 << 20;

bool draw_work_name(Context& ctx, const std::string& dir, std::string& name) {
  for (int i = 0; i < 40; ++i) {
    name = dir + ctx.draw8(ctx.other_counter) + ".$$$";
    if (!fs_exists(name)) return true;
  }
  return false;
}

bool rename_with_retries(Context& ctx, const std::string& from, const std::string& to) {
  for (int i = 0; i < 5; ++i) {
    if (fs_rename(from, to)) return true;
    ctx.wait_ms(500);
  }
  return false;
}

void report_51(Context& ctx, unsigned long code) {
  ctx.out.emit(0, "#51 Could not remove old folder file. The folder is now in an undefined\r\n");
  ctx.out.emit(0, "#51 state and must be rebuilt using the 'Repair' option. Note that this\r\n");
  ctx.out.emit(0, "#51 error is external, and may indicate a problem with file server rights\r\n");
  ctx.out.emit(0, "#51 in the mailbox directory, or a disk related problem on your system.\r\n");
  ctx.out.emit(0, "#51 - Windows error #%lu\r\n", code);
  std::string text = fs_error_text(code).substr(0, 511);
  ctx.out.emit(0, "#51 - \"%s\"\r\n", text.c_str());
}

// Collects what goes into the new master as ranges of the old one, so that
// neighbouring kept messages (with their Ctrl+Z) go out in one copy. Writes
// by position: no seek per copy.
class RangeWriter {
 public:
  RangeWriter(File& from, File& to, std::uint64_t start) : from_(from), to_(to), pos_(start) {}
  bool copy(std::uint64_t at, std::uint64_t n) {
    if (n == 0) return true;
    if (n_ > 0 && at_ + n_ == at) {
      n_ += n;
      return true;
    }
    if (!flush()) return false;
    at_ = at;
    n_ = n;
    return true;
  }
  bool byte(unsigned char c) {
    if (!flush() || !to_.write_at(pos_, &c, 1)) return false;
    ++pos_;
    return true;
  }
  bool flush() {
    if (n_ == 0) return true;
    std::uint64_t n = n_;
    n_ = 0;
    if (!to_.copy_at(from_, at_, n, pos_, buf_)) return false;
    pos_ += n;
    return true;
  }

 private:
  File& from_;
  File& to_;
  std::vector<unsigned char> buf_;
  std::uint64_t pos_;
  std::uint64_t at_ = 0, n_ = 0;
};

// Copies the messages; false on any short read or write. The trailing
// Ctrl+Z bytes dropped are those of a message's last 8192-byte block, as
// with a copy in 8192-byte blocks; the Ctrl+Z written after a message is
// copied from the old master with it whenever one stands there.
//
// What a message ends with is read from the master (its last byte and the
// one after), unless the check before saw it: when the next record starts
// right after the message's Ctrl+Z, the check read both bytes. Only a
// message that ends in Ctrl+Z has its last block read.
bool copy_messages(File& index, File& master, File& w1, File& w2, const MasterNotes* notes) {
  ByteReader in(index);
  ReadView view(master);
  RangeWriter out(master, w2, kHeaderSize);
  if (notes && (notes->index_size != index.size() || notes->master_size != view.size())) notes = nullptr;
  std::uint32_t seq = 0;
  std::uint64_t out_len = kHeaderSize;
  Record next;
  bool have_next = in.read(next.b.data(), kRecordSize) == kRecordSize;
  for (std::size_t i = 0; have_next; ++i) {  // a trailing partial record is ignored
    Record r = next;
    have_next = in.read(next.b.data(), kRecordSize) == kRecordSize;
    if (r.flags() & kFlagDeleted) continue;
    std::uint32_t from = r.offset();
    r.set_offset(static_cast<std::uint32_t>(out_len));
    r.set_sequence(seq++);
    std::uint64_t len = r.length();
    std::uint64_t written = 0;
    if (len > 0) {
      std::uint64_t end = static_cast<std::uint64_t>(from) + len;
      std::size_t tail = len % kCopyBlock == 0 ? kCopyBlock : static_cast<std::size_t>(len % kCopyBlock);
      std::uint64_t head = len - tail;
      // The message's last two bytes and the one after it, where known.
      constexpr int kUnseen = -1, kNotCtrlZ = -2;
      int last = kUnseen, before_last = kUnseen, after = kUnseen;
      unsigned char seen = MasterNotes::kUnknown;
      bool adjoins = have_next && (next.offset() == end + 1 || next.offset() == end);
      if (notes && adjoins && i + 1 < notes->before_end.size()) seen = notes->before_end[i + 1];
      if (seen != MasterNotes::kUnknown) {
        // The check found a Ctrl+Z before the next record and saw the byte
        // in front of it.
        int b = seen == MasterNotes::kCtrlZ ? kCtrlZ : kNotCtrlZ;
        if (next.offset() == end + 1) {
          last = b;
          after = kCtrlZ;
        } else {
          last = kCtrlZ;
          before_last = b;
        }
      } else {
        if (end > view.size()) return false;
        bool more = end < view.size();
        const unsigned char* p = view.bytes(end - 1, more ? 2 : 1);
        if (!p) return false;
        last = p[0];
        after = more ? p[1] : kNotCtrlZ;
      }
      std::size_t w = tail;
      bool ok;
      if (last == kCtrlZ && (tail == 1 || before_last == kNotCtrlZ)) {
        w = tail - 1;  // one Ctrl+Z to drop: it is the one kept after the message
        ok = out.copy(from, len);
      } else if (last == kCtrlZ) {
        const unsigned char* t = view.bytes(static_cast<std::uint64_t>(from) + head, tail);
        if (!t) return false;
        while (w > 0 && t[w - 1] == kCtrlZ) --w;
        ok = out.copy(from, head + w + 1);  // with the first Ctrl+Z dropped
      } else {
        // The one Ctrl+Z after the message: the byte after it when that is
        // one, else written on its own.
        ok = after == kCtrlZ ? out.copy(from, len + 1) : out.copy(from, len) && out.byte(kCtrlZ);
      }
      if (!ok) return false;
      written = head + w;
    }
    bool ctrl_z = len > 0;
    if (len == 0 && out_len == kHeaderSize) {
      // An empty first message still gets its Ctrl+Z: the next message must
      // find one in front of it, and the header's last byte is none.
      if (!out.byte(kCtrlZ)) return false;
      ctrl_z = true;
    }
    out_len += written + (ctrl_z ? 1 : 0);
    r.set_length(static_cast<std::uint32_t>(written));
    if (w1.write(r.b.data(), kRecordSize) != kRecordSize) return false;
  }
  return out.flush();
}

}  // namespace

int compact_folder(Context& ctx, const std::string& path) {
  FolderHeader header;
  {
    File probe;
    if (!probe.open(with_master_extension(path), "rb")) return 0;
    if (probe.read(header.b.data(), kHeaderSize) != kHeaderSize) return 0;
  }
  ctx.out.emit(0, "Compacting folder '%.50s':\r\nPerforming pre-compaction consistency check...\r\n", path.c_str());
  MasterNotes notes;
  if (check_matching(ctx, path, &notes) != 0) {
    ctx.out.emit(0, "#017 Could not compact folder because it failed a consistency check.\r\n");
    return 0;
  }
  std::string iname = index_name(path);
  ctx.out.emit(0, "Now compacting folder to recover space occupied by deleted messages...\r\n");
  File index, master;
  if (!index.open(iname, "r+b")) {
    ctx.out.emit(0, "#018 Could not open folder index file: check that the folder is not in use.\r\n");
    return 0;
  }
  std::string mname = replace_extension(iname, ".VTM");
  if (!master.open(mname, "r+b")) {
    ctx.out.emit(0, "#019 Could not open folder master file: check that the folder is not in use.\r\n");
    return 0;
  }
  // Messages are read at their own offsets: a stdio buffer would only add
  // copies and system calls.
  std::setvbuf(master.get(), nullptr, _IONBF, 0);
  if (master.read(header.b.data(), kHeaderSize) != kHeaderSize) header = FolderHeader{};
  std::string dir = dir_part(path), work1, work2;
  if (!draw_work_name(ctx, dir, work1)) {
    ctx.out.emit(0, "#020 Could not create a temporary file for compaction.\r\n");
    return 0;
  }
  if (!draw_work_name(ctx, dir, work2)) {
    ctx.out.emit(0, "#021 Could not create a temporary file (2) for compaction.\r\n");
    return 0;
  }
  std::vector<char> index_buffer(kBigBlock);  // outlives w1
  File w1, w2;
  if (!w1.open(work1, "w+b")) {
    ctx.out.emit(0, "#022 Could not open temporary compaction file.\r\n");
    return 0;
  }
  if (!w2.open(work2, "w+b")) {
    ctx.out.emit(0, "#023 Could not open temporary compaction file (2).\r\n");
    w1.close();
    fs_remove(work1);
    return 0;
  }
  // The new index goes out in large blocks; the new master is written in
  // large pieces already (a stdio buffer would only add reads on each seek).
  std::setvbuf(w1.get(), index_buffer.data(), _IOFBF, index_buffer.size());
  std::setvbuf(w2.get(), nullptr, _IONBF, 0);
  auto drop_work = [&] {
    w1.close();
    w2.close();
    fs_remove(work1);
    fs_remove(work2);
  };
  if (w2.write(header.b.data(), kHeaderSize) != kHeaderSize) {
    ctx.out.emit(0, "#024 An error occurred writing the folder header during compaction.\r\n");
    drop_work();
    return 0;
  }
  auto io_error = [&] {
    index.close();
    master.close();
    drop_work();
    ctx.out.emit(0, "#025 An I/O error occurred while compacting the folder.\r\n");
    return 0;
  };
  if (!copy_messages(index, master, w1, w2, &notes)) return io_error();
  header.clear_deleted();
  if (!w2.seek(0) || w2.write(header.b.data(), kHeaderSize) != kHeaderSize) return io_error();
  if (!w1.flush() || !w2.flush()) return io_error();
  index.close();
  master.close();
  w1.close();
  w2.close();

  std::string aside_i = aside_name(iname), aside_m = aside_name(mname);
  // Left over from a compaction stopped after its new files were in place.
  if (fs_exists(aside_i)) fs_remove(aside_i);
  if (fs_exists(aside_m)) fs_remove(aside_m);
  if (!rename_with_retries(ctx, iname, aside_i)) return io_error();
  if (!rename_with_retries(ctx, mname, aside_m)) {
    unsigned long code = fs_last_error();
    drop_work();
    fs_rename(aside_i, iname);
    report_51(ctx, code);
    return 0;
  }
  if (!fs_rename(work1, iname) || !fs_rename(work2, mname)) {
    unsigned long code = fs_last_error();
    // Put the old pair back; keep the work files if that fails too.
    if (fs_exists(mname) && !fs_exists(work2)) fs_rename(mname, work2);
    if (fs_exists(iname) && !fs_exists(work1)) fs_rename(iname, work1);
    if (fs_rename(aside_m, mname) && fs_rename(aside_i, iname)) drop_work();
    report_51(ctx, code);
    return 0;
  }
  fs_remove(aside_i);
  fs_remove(aside_m);
  ctx.out.emit(0, "Folder '%.50s' successfully compacted.\r\n", path.c_str());
  return 1;
}

void compact_matching(Context& ctx, const std::string& path) {
  std::string dir = dir_part(path);
  for (const auto& name : list_matches(path)) compact_folder(ctx, dir + name);
}

}  // namespace foldmend
