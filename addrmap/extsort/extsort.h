// extsort: sorts the fixed-size records of a file in place, in bounded memory.
//
// The file holds a header of `header_len` bytes followed by records of
// `record_len` bytes; the record count is (file length - header) / record_len,
// and any trailing partial record is left untouched.
//
// Few records (fewer than one run holds) are sorted in memory. Otherwise the
// records are cut into runs of (work buffer / record_len - 1) records, each run
// is sorted and written to a run file in the temporary directory, and the run
// files are merged back into the file after the header. Ties keep their input
// order everywhere (in-run sorts are stable and the merge gives equal records
// to the earlier run), so the result equals a stable sort of the whole file.
//
// Run files are named `<tempdir><sep>XXXXYYYY.$$$` from an unseeded generator
// (the same sequence in every process, see TempNamer); a path longer than
// kMaxRunPath characters is refused, never cut. When there are more runs than
// files that can be open at once, groups of runs are merged into larger run
// files first (as many passes as needed), so memory stays bounded: the work
// buffer while making runs, then about `merge_budget` bytes of read buffers.
//
// Diagnostics go to `messages`: "\naddrmap: Failed creating subfile '%s'\n"
// when a run file cannot be created. Every other failure is only the `false`
// result; whatever the outcome, no run file is left behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace extsort {

// Returns <0, 0 or >0 as a sorts before, with or after b.
using CompareFn = int (*)(const unsigned char* a, const unsigned char* b);
// Optional shortcut for CompareFn: a number whose order agrees with it, i.e.
// key(a) < key(b) implies compare(a, b) < 0 (equal keys say nothing).
using PrefixKeyFn = std::uint64_t (*)(const unsigned char* record);

inline constexpr std::size_t kWorkBufferSize = 65520;  // bytes, halved while > 8192 on allocation failure
inline constexpr std::size_t kMinWorkBuffer = 8192;
inline constexpr std::size_t kMaxRunPath = 64;        // characters in a run file's full path
inline constexpr int kNameTries = 20;                 // names tried before the last one is taken

struct SortParams {
  long header_len = 0;
  std::size_t record_len = 0;
  CompareFn compare = nullptr;
  PrefixKeyFn prefix_key = nullptr;
  // Directory for run files; nullptr means DefaultTempDir().
  const char* temp_dir = nullptr;
  // Where the "Failed creating subfile" line goes; nullptr means stdout.
  std::FILE* messages = nullptr;
  // Bytes of read buffers shared by the runs being merged at once.
  std::size_t merge_budget = std::size_t{8} << 20;
  // Most run files open at once during a merge; 0 means what the system allows.
  std::size_t max_open_runs = 0;
  // Test hook: allocation of the work buffer fails while its size is above this.
  std::size_t fail_alloc_above = SIZE_MAX;
};

// The temporary directory: TMP, else TEMP, else "" (the current directory).
std::string DefaultTempDir();

// The generator behind run-file names: the C run-time's linear congruential
// generator of the Windows build, seeded with 1, so every process (on every
// platform) draws the same sequence.
class TempNamer {
 public:
  int Next();  // 0..32767
  // `dir` with a separator appended unless it ends in "\\", "/" or ":" (or is
  // empty), followed by "%04x%04x.$$$"; up to kNameTries names are drawn until
  // one names no existing file, else the last one is used. Returns false, and
  // draws nothing, when the path would exceed kMaxRunPath characters.
  bool MakeTempName(const std::string& dir, std::string* path);

 private:
  std::uint32_t state_ = 1;
};

// Sorts the records of `file` (opened for reading and writing in binary mode).
// Returns true on success. `namer` supplies run-file names (a fresh one when null).
bool SortRecords(std::FILE* file, const SortParams& params, TempNamer* namer = nullptr);

}  // namespace extsort
