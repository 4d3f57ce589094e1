#include "check.h"

#include <cstdio>
#include <unordered_set>

#include "fileio.h"
#include "format.h"
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

static int scan(Context& ctx, File& master, File& index, int& dups) {
  std::uint64_t mlen = master.size();
  std::uint64_t ilen = index.size();
  if (ilen % kRecordSize != 0) return 3;
  std::uint64_t n = ilen / kRecordSize;
  std::unordered_set<std::string> seen;
  ByteReader in(index);
  for (std::uint64_t i = 0; i < n; ++i) {
    Record r;
    for (auto& byte : r.b) {
      int c = in.get();
      if (c < 0) return 4;
      byte = static_cast<unsigned char>(c);
    }
    if (r.sequence() != (i & 0xFFFF) || i > 0xFFFF) return 5;
    std::uint32_t off = r.offset();
    if (off < kHeaderSize || off > mlen) return 6;
    if (i > 0) {
      if (!master.seek(off - 1)) return 7;
      unsigned char c;
      if (master.read(&c, 1) == 1 && c != kCtrlZ) {
        ctx.out.emit(0, "Message %d: expected Ctrl+Z at offset %lld.\r\n", static_cast<int>(i - 1),
                     static_cast<long long>(off) - 1);
        return 8;
      }
    }
    std::string id = r.id();
    if (!seen.insert(id).second) {
      if (dups == 0) ctx.out.emit(0, "\r\n");
      ctx.out.emit(0, "Warning: message %d has non-unique ID part (%s)\r\n", r.sequence(), id.c_str());
      ++dups;
    }
  }
  return 0;
}

int check_folder(Context& ctx, const std::string& path, std::string& line) {
  std::string mname = with_master_extension(path);
  File master, index;
  int status = 0, dups = 0;
  if (!master.open(mname, "r+b")) {
    status = 1;
  } else if (!index.open(index_name(path), "r+b")) {
    status = 2;
  } else {
    status = scan(ctx, master, index, dups);
    if (status == 0 && dups > 0) status = 9;
  }
  line = result_line(status, dups);
  return status;
}

int check_matching(Context& ctx, const std::string& path) {
  auto names = list_matches(path);
  if (names.empty()) {
    ctx.out.emit(0, "#041 No matching folder files found.\r\n");
    return 1;
  }
  std::string dir = dir_part(path);
  for (const auto& name : names) {
    ctx.out.emit(0, "Checking '%s'...\r\n", name.c_str());
    std::string line;
    int status = check_folder(ctx, dir + name, line);
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
