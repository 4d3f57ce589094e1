#include "alias.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "extsort/extsort.h"

namespace addrmap {

namespace {

inline unsigned char Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }

bool IsTrailBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsLeadSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view TrimField(std::string_view s) {
  while (!s.empty() && IsTrailBlank(s.back())) s.remove_suffix(1);
  while (!s.empty() && IsLeadSpace(s.front())) s.remove_prefix(1);
  return s;
}

constexpr std::size_t kIoBuffer = std::size_t{1} << 16;

}  // namespace

int CompareAliases(const unsigned char* a, const unsigned char* b) {
  std::size_t i = 0;
  // Equal bytes stay equal after folding, so whole words that match and hold
  // no terminating zero are skipped at once; byte 179 is always zero, so the
  // byte loop below always ends inside the field.
  constexpr std::uint64_t kLow = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  for (; i + 8 <= kFieldLen; i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y || ((x - kLow) & ~x & kHigh) != 0) break;
  }
  for (; i < kFieldLen; ++i) {
    unsigned char x = Upper(a[i]), y = Upper(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
  return 0;
}

std::uint64_t AliasPrefixKey(const unsigned char* record) {
  std::uint64_t key = 0;
  bool ended = false;
  for (std::size_t i = 0; i < 8; ++i) {
    ended = ended || record[i] == 0;  // bytes after the terminator do not count
    key = (key << 8) | (ended ? 0 : Upper(record[i]));
  }
  return key;
}

ParsedLine ClassifyLine(std::string_view line) {
  ParsedLine r;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  while (line.size() > 1 && IsTrailBlank(line.back())) line.remove_suffix(1);
  if (line.empty() || line[0] == ';' || line[0] == '*' || line[0] == '#') return r;
  std::size_t sep = line.find("==");
  // A NUL byte cannot be part of an alias or target: such a line is refused
  // whole rather than cut at the NUL.
  if (sep == std::string_view::npos || line.find('\0') != std::string_view::npos) {
    r.kind = LineKind::kMalformed;
    return r;
  }
  r.kind = LineKind::kAlias;
  r.alias = TrimField(line.substr(0, sep));
  r.target = TrimField(line.substr(sep + 2));
  return r;
}

void BuildRecord(std::string_view alias, std::string_view target, unsigned char* record) {
  std::memset(record, 0, kRecordLen);
  std::memcpy(record, alias.data(), std::min(alias.size(), kMaxFieldText));
  std::memcpy(record + kFieldLen, target.data(), std::min(target.size(), kMaxFieldText));
}

int LineReader::Get() {
  if (pos_ == end_) {
    end_ = std::fread(buf_.data(), 1, buf_.size(), in_);
    pos_ = 0;
    if (end_ == 0) return -1;
  }
  return static_cast<unsigned char>(buf_[pos_++]);
}

bool LineReader::Next(std::string* line) {
  line->clear();
  for (;;) {
    int c = Get();
    if (c < 0) return !line->empty();
    if (c == '\r') {
      // Text mode: CR LF is one line end; a lone CR is an ordinary character.
      if (pos_ == end_ && Get() >= 0) --pos_;  // make the next byte visible
      if (pos_ < end_ && buf_[pos_] == '\n') {
        ++pos_;
        return true;
      }
    } else if (c == '\n') {
      return true;
    }
    line->push_back(static_cast<char>(c));
    if (line->size() == kLineChunk) return true;  // the rest follows as the next line
  }
}

bool CompileSource(std::FILE* source, std::FILE* out, std::FILE* messages) {
  unsigned char header[kHeaderLen] = {};
  std::memcpy(header, kHeaderText.data(), kHeaderText.size());
  bool ok = std::fwrite(header, 1, kHeaderLen, out) == kHeaderLen;

  LineReader reader(source);
  std::string line;
  unsigned char record[kRecordLen];
  for (int number = 1; ok && reader.Next(&line); ++number) {
    ParsedLine p = ClassifyLine(line);
    if (p.kind == LineKind::kMalformed) {
      std::fprintf(messages, "Line %d is malformed - ignored.\n", number);
    } else if (p.kind == LineKind::kAlias) {
      BuildRecord(p.alias, p.target, record);
      ok = std::fwrite(record, 1, kRecordLen, out) == kRecordLen;
    }
  }
  if (ok) ok = std::fflush(out) == 0;
  if (!ok) {
    std::fprintf(messages, "Error writing to output file.\n");
    return false;
  }
  return true;
}

bool SortAliasFile(std::FILE* out, std::FILE* messages, const char* temp_dir) {
  extsort::SortParams p;
  p.header_len = kHeaderLen;
  p.record_len = kRecordLen;
  p.compare = CompareAliases;
  p.prefix_key = AliasPrefixKey;
  p.temp_dir = temp_dir;
  p.messages = messages;
  return extsort::SortRecords(out, p);
}

int Run(int argc, const char* const* argv, std::FILE* messages) {
  std::fprintf(messages,
               "\nCorvane Mail Transport System,\n"
               "Alias compiler of the Ostrel distribution.\n"
               "addrmap - create alias file for Corvane, v1.03 (Win32).\n\n");
  if (argc < 3) {
    std::fprintf(messages, "Usage: addrmap <source_file_name> <alias_file_name>\n");
    return 1;
  }
  std::FILE* source = std::fopen(argv[1], "rb");
  if (!source) {
    std::fprintf(messages, "Error opening source file '%s'.\n", argv[1]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[2], "w+b");
  if (!out) {
    std::fprintf(messages, "Error opening output file '%s'.\n", argv[2]);
    std::fclose(source);
    return 2;
  }
  // Some C libraries ignore the size unless given the buffer itself.
  std::vector<char> out_buffer(kIoBuffer);
  std::setvbuf(out, out_buffer.data(), _IOFBF, out_buffer.size());
  if (CompileSource(source, out, messages) && !SortAliasFile(out, messages)) {
    std::fprintf(messages, "Error sorting output file.\n");
  }
  std::fclose(source);
  std::fclose(out);
  std::fflush(messages);
  return 0;
}

}  // namespace addrmap
