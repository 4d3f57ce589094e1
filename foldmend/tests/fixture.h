// Test and benchmark support: writes a folder pair (master and index) from
// message texts and flags, and damages it in named ways.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace foldmend_test {

struct Message {
  std::string text;    // header, empty line, body; CR LF line ends
  std::uint32_t flags;
  std::string id;      // empty: "M<n>.CNM"
  Message(std::string t, std::uint32_t f = 0, std::string i = {})
      : text(std::move(t)), flags(f), id(std::move(i)) {}
};

enum class Damage {
  kNone,
  kBadSequence,        // record 1 claims sequence 7
  kOffsetOutOfBounds,  // record 1 points beyond the master
  kMissingCtrlZ,       // the Ctrl+Z after message 0 becomes 'X'
  kDuplicateIds,       // record 1 bears record 0's ID
  kNulBytes,           // NUL bytes inside message 0
  kDoubledCtrlZ,       // an extra Ctrl+Z after message 0
  kTruncatedIndex,     // the index loses its last 10 bytes
};

struct Folder {
  std::string master;  // path of the .VTM
  std::string index;   // path of the .VTI
};

// The 128-byte header: opaque bytes 0..127 = i * 7 + 3, counters as given.
std::string FolderHeaderBytes();
// Writes <dir>/<base>.VTM and .VTI. Record lengths include the Ctrl+Z.
Folder WriteFolder(const std::string& dir, const std::string& base, const std::vector<Message>& msgs,
                   Damage damage = Damage::kNone);
// A plain message with the given subject.
std::string SimpleMessage(const std::string& subject, const std::string& body = "Hello.\r\n");

std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);

}  // namespace foldmend_test
