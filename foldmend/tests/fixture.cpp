#include "fixture.h"

#include <fstream>
#include <sstream>

#include "format.h"

namespace foldmend_test {

using namespace foldmend;

std::string FolderHeaderBytes() {
  std::string h(kHeaderSize, '\0');
  for (std::size_t i = 0; i < kHeaderSize; ++i) h[i] = static_cast<char>(i * 7 + 3);
  return h;
}

std::string SimpleMessage(const std::string& subject, const std::string& body) {
  return "From: Tester <tester@example.com>\r\nSubject: " + subject +
         "\r\nDate: Mon, 7 Mar 2011 09:05:00 +0100\r\n\r\n" + body;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

Folder WriteFolder(const std::string& dir, const std::string& base, const std::vector<Message>& msgs,
                   Damage damage) {
  std::string master = FolderHeaderBytes();
  std::string index;
  for (std::size_t i = 0; i < msgs.size(); ++i) {
    std::string text = msgs[i].text;
    if (i == 0 && damage == Damage::kNulBytes) text.insert(text.size() / 2, std::string("\0\0", 2));
    Record r;
    r.set_flags(msgs[i].flags);
    r.set_offset(static_cast<std::uint32_t>(master.size()));
    r.set_sequence(static_cast<std::uint32_t>(i));
    r.set_id(msgs[i].id.empty() ? "M" + std::to_string(i) + ".CNM" : msgs[i].id);
    std::string subj = "S" + std::to_string(i);
    std::memcpy(&r.b[54], subj.data(), subj.size());
    master += text;
    master += static_cast<char>(kCtrlZ);
    if (i == 0 && damage == Damage::kDoubledCtrlZ) master += static_cast<char>(kCtrlZ);
    if (i == 0 && damage == Damage::kMissingCtrlZ) master.back() = 'X';
    r.set_length(static_cast<std::uint32_t>(text.size() + 1));
    if (i == 1 && damage == Damage::kBadSequence) r.set_sequence(7);
    if (i == 1 && damage == Damage::kDuplicateIds) r.set_id(msgs[0].id.empty() ? "M0.CNM" : msgs[0].id);
    index.append(reinterpret_cast<const char*>(r.b.data()), kRecordSize);
  }
  if (damage == Damage::kOffsetOutOfBounds && msgs.size() > 1)
    put32(reinterpret_cast<unsigned char*>(&index[kRecordSize + 4]), static_cast<std::uint32_t>(master.size() + 5));
  if (damage == Damage::kTruncatedIndex && index.size() >= 10) index.resize(index.size() - 10);
  Folder f{dir + "/" + base + ".VTM", dir + "/" + base + ".VTI"};
  WriteAll(f.master, master);
  WriteAll(f.index, index);
  return f;
}

}  // namespace foldmend_test
