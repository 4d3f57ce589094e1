// Folder files: the master file (".VTM": a 128-byte folder header, then the
// messages back to back, each followed by one Ctrl+Z) and the index file
// (".VTI": an array of 118-byte IMESSAGE records, no header). Little-endian.
//
// Folder header fields written here: 56 u16 count of messages without flag
// 0x80; 58 u16 deleted count; 60 s32 deleted bytes; 80 u16, 82 u16 counters.
// Every other header byte is opaque and copied unchanged.
//
// IMESSAGE: 0 u32 flags | 4 u32 offset | 8 u16 sequence | 10 char[14] ID |
// 24 char[30] from | 54 char[36] subject | 90 char[16] date text |
// 106 s16 zone minutes | 108 s8 client value A | 109 u8 client value B |
// 110 s32 date key | 114 u32 length.
//
// Example: "Mon, 7 Mar 2011 09:05:00 +0100" gives the date text "7 Mar 11 9:05",
// zone minutes -60 and the date key 11349125.
//
// Also here: names derived from a master name, and the stated date's texts.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace foldmend {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kRecordSize = 118;
constexpr std::size_t kIdField = 14;
constexpr unsigned char kCtrlZ = 0x1A;

constexpr std::uint32_t kFlagUnread = 0x00000080;     // counted at header offset 56 when clear
constexpr std::uint32_t kFlagDeleted = 0x00040000;
constexpr std::uint32_t kFlagKeepId = 0x04000000;
constexpr std::uint32_t kFlagPriority = 0x00400000;

inline std::uint16_t get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t get32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void put16(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void put32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

struct FolderHeader {
  std::array<unsigned char, kHeaderSize> b{};
  void set_unread_count(std::uint16_t n) { put16(&b[56], n); }
  void clear_deleted() {
    put16(&b[58], 0);
    put32(&b[60], 0);
  }
  void clear_counters() {
    put16(&b[80], 0);
    put16(&b[82], 0);
  }
};

struct Record {
  std::array<unsigned char, kRecordSize> b{};
  std::uint32_t flags() const { return get32(&b[0]); }
  void set_flags(std::uint32_t v) { put32(&b[0], v); }
  std::uint32_t offset() const { return get32(&b[4]); }
  void set_offset(std::uint32_t v) { put32(&b[4], v); }
  std::uint16_t sequence() const { return get16(&b[8]); }
  void set_sequence(std::uint32_t v) { put16(&b[8], v); }
  // The ID text: bytes up to the first NUL, at most the 14 bytes of the field.
  std::string id() const;
  void set_id(const std::string& id);  // at most 13 characters, zero-padded
  std::uint32_t length() const { return get32(&b[114]); }
  void set_length(std::uint32_t v) { put32(&b[114], v); }
};

// The date as stated in a message (Date or Sent header).
struct StatedDate {
  int year = 0;  // minus 1900
  int month = 0, day = 0, hour = 0, minute = 0, second = 0, weekday = 0;
  int zone = 0;  // units of 30 minutes to add to reach UTC
};

// "%d %s %d %d:%02d"; empty when year or month is 0.
std::string date_text(const StatedDate& d);
std::int16_t zone_minutes(const StatedDate& d);  // zone x 30, or 1 for 0
std::int32_t date_key(const StatedDate& d);
extern const char* const kMonthNames[12];

// Names. The file-name part follows the last colon, backslash or slash.
bool is_separator(char c);
std::string dir_part(const std::string& path);   // up to and including the last separator
std::string name_part(const std::string& path);
bool has_extension(const std::string& path);     // a full stop in the name part
std::string replace_extension(const std::string& path, const std::string& ext);
std::string with_master_extension(const std::string& path);  // ".VTM" appended when none
inline std::string index_name(const std::string& m) { return replace_extension(m, ".VTI"); }
inline std::string uid_map_name(const std::string& m) { return replace_extension(m, ".VNM"); }
inline std::string backup_name(const std::string& m) { return m + ".old"; }
// Where a compaction keeps an old folder file while the new one takes its
// name; a repair restores a master from here (or from the backup) when the
// master itself is missing.
inline std::string aside_name(const std::string& f) { return f + ".cmp"; }
// Directory and name joined with a backslash unless the directory is empty or
// ends in a separator.
std::string join_path(const std::string& dir, const std::string& name);

}  // namespace foldmend
