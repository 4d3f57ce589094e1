#include "repair.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "fileio.h"
#include "format.h"
#include "header_parser.h"
#include "winfs.h"

namespace foldmend {

namespace {

// Position of the first byte that cleaning drops (a NUL, or a Ctrl+Z after a
// Ctrl+Z), scanning from `from` with the previous byte's Ctrl+Z state; the
// end of the buffer when there is none.
std::size_t first_drop(const unsigned char* b, std::size_t n, bool& last_z) {
  std::size_t i = 0;
  while (i < n) {
    const void* nul = std::memchr(b + i, 0, n - i);
    std::size_t stop = nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - b) : n;
    // Ctrl+Z pairs before the NUL (or the end).
    while (i < stop) {
      if (last_z && b[i] == kCtrlZ) return i;
      const void* z = std::memchr(b + i, kCtrlZ, stop - i);
      if (!z) {
        last_z = false;
        i = stop;
        break;
      }
      i = static_cast<std::size_t>(static_cast<const unsigned char*>(z) - b) + 1;
      last_z = true;
      if (i < stop && b[i] != kCtrlZ) last_z = false;
    }
    if (stop < n) return stop;
  }
  return n;
}

}  // namespace

int clean_master(Context& ctx, const std::string& master, const std::string& temp) {
  File in, out;
  if (!in.open(master, "r+b")) {
    ctx.out.emit(0, "#072 Could not open the specified folder master file.\r\n");
    return 0;
  }
  if (!out.open(temp, "wb")) {
    in.close();
    ctx.out.emit(0, "#073 Could not open a temporary file needed for the rebuild operation.\r\n");
    return 0;
  }
  std::vector<unsigned char> buf(1 << 16), obuf(1 << 16);
  // First a read-only pass to the first byte to drop: a sound master is
  // not copied at all.
  std::uint64_t clean_len = in.read(buf.data(), kHeaderSize);
  bool last_z = false, found = false;
  for (;;) {
    std::size_t n = in.read(buf.data(), buf.size());
    if (n == 0) break;
    bool z = last_z;
    std::size_t d = first_drop(buf.data(), n, z);
    if (d < n) {
      clean_len += d;
      found = true;
      break;
    }
    last_z = z;
    clean_len += n;
  }
  if (!found) {
    in.close();
    out.close();
    return 2;
  }
  // Copy the sound part, then clean the rest byte by byte.
  bool ok = in.seek(0);
  for (std::uint64_t left = clean_len; ok && left > 0;) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, buf.size()));
    ok = in.read(buf.data(), n) == n && out.write(buf.data(), n) == n;
    left -= n;
  }
  last_z = clean_len > kHeaderSize && ok && [&] {
    unsigned char prev = 0;
    return in.seek(clean_len - 1) && in.read(&prev, 1) == 1 && prev == kCtrlZ;
  }();
  unsigned long long dropped = 0;
  while (ok) {
    std::size_t n = in.read(buf.data(), buf.size());
    if (n == 0) break;
    std::size_t o = 0;
    for (std::size_t i = 0; i < n; ++i) {
      unsigned char c = buf[i];
      if (c == 0 || (c == kCtrlZ && last_z)) {
        ++dropped;
        continue;
      }
      last_z = c == kCtrlZ;
      obuf[o++] = c;
    }
    ok = out.write(obuf.data(), o) == o;
  }
  in.close();
  ok = out.flush() && ok;
  out.close();
  if (!ok) {
    // A short write would lose bytes: treat it as a failure to make the copy.
    fs_remove(temp);
    ctx.out.emit(0, "#073 Could not open a temporary file needed for the rebuild operation.\r\n");
    return 0;
  }
  return dropped > 0 ? 1 : 2;
}

// Puts a master back that an interrupted compaction or repair left under
// another name.
static void restore_missing_master(Context& ctx, const std::string& master) {
  if (fs_exists(master)) return;
  for (const std::string& from : {aside_name(master), backup_name(master)}) {
    if (fs_is_file(from) && fs_rename(from, master)) {
      ctx.out.emit(0, "Folder master file restored from '%s'.\r\n", from.c_str());
      return;
    }
  }
}

static bool replace_master(Context& ctx, const std::string& master, const std::string& temp) {
  std::string backup = backup_name(master);
  if (!fs_rename(master, backup)) {
    fs_remove(temp);
    ctx.out.emit(0, "#075 Error renaming damaged master folder.\r\n");
    return false;
  }
  if (fs_rename(temp, master)) return true;
  // Another volume: copy next to the master first, so that a copy cut short
  // never stands under the master's name.
  std::string work = master + ".new";
  if (fs_copy(temp, work) && fs_rename(work, master)) {
    fs_remove(temp);
    return true;
  }
  fs_remove(work);
  ctx.out.emit(0, "#076 Error copying scrubbed master file '%s'.\r\n", temp.c_str());
  if (fs_exists(master)) fs_remove(master);  // a partial copy would hide the backup
  if (fs_rename(backup, master)) {
    ctx.out.emit(0, "#077 Master file restored, but the operation cannot continue.\r\n");
  } else {
    ctx.out.emit(0, "#077 Error restoring original folder master file.\r\n");
    ctx.out.emit(0, "**** This indicates a serious system error at the Windows level.\r\n");
    ctx.out.emit(0, "**** To recover the folder, you must manually locate the file -\r\n");
    ctx.out.emit(0, "****    '%s'\r\n", backup.c_str());
    ctx.out.emit(0, "**** and copy it to the following filename:\r\n");
    ctx.out.emit(0, "****    '%s'\r\n", master.c_str());
  }
  return false;
}

static Record make_record(const MessageSummary& s, Context& ctx) {
  Record r;
  auto trim = [](std::string t) {
    while (!t.empty() && (t.back() == '\r' || t.back() == '\n')) t.pop_back();
    return t;
  };
  r.set_flags(s.flags & ~kFlagPriority);
  r.set_id(s.id);
  std::string from = trim(s.from).substr(0, 29);
  std::string subject = trim(s.subject).substr(0, 35);
  std::memcpy(&r.b[24], from.data(), from.size());
  std::memcpy(&r.b[54], subject.data(), subject.size());
  r.b[108] = static_cast<unsigned char>(s.client_a);
  r.b[109] = static_cast<unsigned char>((s.client_b_source >> 16) & 0xFF);
  std::string dt = date_text(s.date);
  std::memcpy(&r.b[90], dt.data(), dt.size());
  put16(&r.b[106], static_cast<std::uint16_t>(zone_minutes(s.date)));
  put32(&r.b[110], static_cast<std::uint32_t>(date_key(s.date)));
  if (s.id.empty()) r.set_id(ctx.draw8(ctx.other_counter) + ".CNR");
  return r;
}

int repair_folder(Context& ctx, const std::string& master,
                  const std::function<const char*(const char*)>& getenv_fn) {
  restore_missing_master(ctx, master);
  std::string temp = temp_path(ctx, getenv_fn);
  int cleaned = clean_master(ctx, master, temp);
  if (cleaned == 0) {
    ctx.out.emit(0, "#074 Unable to proceed with rebuild operation.\r\n");
    return 0;
  }
  if (cleaned == 1) {
    if (!replace_master(ctx, master, temp)) return 0;
  } else {
    fs_remove(temp);
  }

  File mf;
  if (!mf.open(master, "r+b")) {
    ctx.out.emit(0, "#006 Could not open the specified folder master file.\r\n");
    return 0;
  }
  FolderHeader header;
  mf.read(header.b.data(), kHeaderSize);
  std::string iname = index_name(master);
  fs_remove(iname);
  File idx;
  if (!idx.open(iname, "wb")) {
    ctx.out.emit(0, "#007 Could not create the specified folder's new index file.\r\n");
    return 0;
  }
  ClockFields now = local_clock();
  ByteReader in(mf);
  in.seek(kHeaderSize);
  unsigned count = 0, seq = 0;
  bool io_ok = true;
  for (;;) {
    int c = in.get();
    while (c == 0) c = in.get();
    if (c < 0) break;
    if (c == kCtrlZ) continue;
    std::uint64_t start = in.tell() - 1;
    in.seek(start);
    MessageSummary s;
    bool ok = parse_message(in, s, now);
    if (!(s.flags & kFlagUnread)) ++count;
    in.seek(start);
    in.skip_to(kCtrlZ);
    std::uint64_t end = in.tell();
    if (!ok) {
      ctx.out.emit(0, "#008 Parser failure during rebuild operation (badly corrupt master file?)\r\n");
      continue;
    }
    Record r = make_record(s, ctx);
    r.set_offset(static_cast<std::uint32_t>(start));
    r.set_sequence(seq++);
    r.set_length(static_cast<std::uint32_t>(end - start));
    io_ok = idx.write(r.b.data(), kRecordSize) == kRecordSize && io_ok;
  }
  io_ok = idx.flush() && io_ok;
  idx.close();
  if (!io_ok) {
    // An index cut short would silently drop messages from the folder.
    ctx.out.emit(0, "#007 Could not create the specified folder's new index file.\r\n");
    return 0;
  }
  header.set_unread_count(static_cast<std::uint16_t>(count));
  header.clear_deleted();
  header.clear_counters();
  mf.seek(0);
  mf.write(header.b.data(), kHeaderSize);
  mf.close();
  return 1;
}

}  // namespace foldmend
