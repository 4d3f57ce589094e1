// Alias source compiler: turns "alias == target" lines into the fixed
// records of the Corvane alias file.
//
// Alias file (binary):
//   offset  size     content
//   0       26       "v1.0 Corvane Alias File.\r\n"
//   26      1        0x1A
//   27      101      zero bytes
//   128     360 * n  records, sorted by CompareAliases after SortAliasFile
// Record (360 bytes): alias at 0 and target at 180, each at most 179 bytes
// followed by zero bytes, so bytes 179 and 359 are always zero.
//
// Source lines (see ClassifyLine): read in chunks of at most 511 characters
// (a longer line goes on as the next line and counts as one), CR LF or LF
// ends; an empty line or one whose first character is ';', '*' or '#' is a
// comment; every other line needs "==" between alias and target, else it is
// reported as malformed with its line number and skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace addrmap {

inline constexpr std::size_t kHeaderLen = 128;
inline constexpr std::size_t kRecordLen = 360;
inline constexpr std::size_t kFieldLen = 180;
inline constexpr std::size_t kMaxFieldText = kFieldLen - 1;  // 179
inline constexpr std::size_t kLineChunk = 511;               // characters taken per read
inline constexpr std::string_view kHeaderText = "v1.0 Corvane Alias File.\r\n\x1a";

// Compares two records by their alias fields: byte by byte as unsigned
// values up to the first difference or terminating zero, a-z taken as A-Z.
int CompareAliases(const unsigned char* a, const unsigned char* b);

// The first eight bytes of a record's alias, folded as CompareAliases folds
// them, as a big-endian number: its order agrees with CompareAliases.
std::uint64_t AliasPrefixKey(const unsigned char* record);

enum class LineKind { kComment, kAlias, kMalformed };

struct ParsedLine {
  LineKind kind = LineKind::kComment;
  std::string_view alias;   // valid for kAlias: views into the line
  std::string_view target;
};

// Classifies one line as read (its line end still attached or not).
ParsedLine ClassifyLine(std::string_view line);

// Builds the 360-byte record for alias and target, each cut to 179 bytes.
void BuildRecord(std::string_view alias, std::string_view target, unsigned char* record);

// Reads source lines with the chunking and CR LF rules above.
class LineReader {
 public:
  explicit LineReader(std::FILE* in) : in_(in), buf_(kBufferSize) {}
  // The next line (or chunk) without its line end; false at end of input.
  bool Next(std::string* line);

 private:
  static constexpr std::size_t kBufferSize = std::size_t{1} << 16;
  int Get();  // next byte, or -1 at end of input
  std::FILE* in_;
  std::vector<char> buf_;
  std::size_t pos_ = 0, end_ = 0;
};

// Writes the header and one record per valid line of `source` to `out`,
// reporting malformed lines to `messages`. False (after printing "Error
// writing to output file.\n") when the output could not be written.
bool CompileSource(std::FILE* source, std::FILE* out, std::FILE* messages);

// Sorts the records of an alias file in place (see extsort.h).
// `temp_dir` null means TMP, else TEMP, else the current directory.
bool SortAliasFile(std::FILE* out, std::FILE* messages, const char* temp_dir = nullptr);

// The whole program: banner, arguments, compile, sort. Returns the exit status.
int Run(int argc, const char* const* argv, std::FILE* messages);

}  // namespace addrmap
