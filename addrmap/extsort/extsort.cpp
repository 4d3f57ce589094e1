#include "extsort.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "runfile.h"

namespace extsort {

namespace {

#ifdef _WIN32
constexpr char kDirSeparator = '\\';
bool SeekTo(std::FILE* f, std::int64_t pos) { return _fseeki64(f, pos, SEEK_SET) == 0; }
std::int64_t FileLength(std::FILE* f) {
  if (_fseeki64(f, 0, SEEK_END) != 0) return -1;
  return _ftelli64(f);
}
#else
constexpr char kDirSeparator = '/';
bool SeekTo(std::FILE* f, std::int64_t pos) { return fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0; }
std::int64_t FileLength(std::FILE* f) {
  if (fseeko(f, 0, SEEK_END) != 0) return -1;
  return static_cast<std::int64_t>(ftello(f));
}
#endif

struct FreeDeleter {
  void operator()(unsigned char* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<unsigned char, FreeDeleter>;

// The work buffer: kWorkBufferSize bytes, halved while above kMinWorkBuffer
// when the allocation fails.
Buffer AllocateWorkBuffer(const SortParams& p, std::size_t* size) {
  for (std::size_t s = kWorkBufferSize; s > kMinWorkBuffer; s /= 2) {
    if (s > p.fail_alloc_above) continue;
    if (auto* b = static_cast<unsigned char*>(std::malloc(s))) {
      *size = s;
      return Buffer(b);
    }
  }
  return nullptr;
}

// Stable sort of `n` records in `recs`, using `scratch` (same size) as room.
void SortBlock(unsigned char* recs, unsigned char* scratch, std::size_t n, const SortParams& p) {
  if (n == 0) return;
  struct Item {
    std::uint64_t key;
    std::uint32_t index;
  };
  const std::size_t len = p.record_len;
  std::vector<Item> order(n);
  for (std::size_t i = 0; i < n; ++i)
    order[i] = {p.prefix_key ? p.prefix_key(recs + i * len) : 0, static_cast<std::uint32_t>(i)};
  std::stable_sort(order.begin(), order.end(), [&](const Item& a, const Item& b) {
    if (a.key != b.key) return a.key < b.key;
    return p.compare(recs + a.index * len, recs + b.index * len) < 0;
  });
  for (std::size_t i = 0; i < n; ++i) std::memcpy(scratch + i * len, recs + order[i].index * len, len);
  std::memcpy(recs, scratch, n * len);
}

// Every run file that exists right now; whatever is still listed when the
// sort ends is deleted.
class LiveFiles {
 public:
  ~LiveFiles() {
    for (const auto& f : files_) RunFile::Remove(f);
  }
  void Add(const std::string& f) { files_.push_back(f); }
  void Drop(const std::string& f) {
    RunFile::Remove(f);
    files_.erase(std::find(files_.begin(), files_.end(), f));
  }

 private:
  std::vector<std::string> files_;
};

struct Context {
  const SortParams& p;
  TempNamer& namer;
  std::string dir;
  LiveFiles live;
};

bool CreateRunFile(Context& c, RunFile* f, std::string* path) {
  if (!c.namer.MakeTempName(c.dir, path)) return false;  // would not fit: refused, never cut
  if (!f->Create(*path)) {
    std::fprintf(c.p.messages ? c.p.messages : stdout, "\naddrmap: Failed creating subfile '%s'\n",
                 path->c_str());
    return false;
  }
  c.live.Add(*path);
  return true;
}

bool SortInMemory(std::FILE* file, const SortParams& p, std::size_t count) {
  if (count == 0) return true;
  const std::size_t bytes = count * p.record_len;
  std::vector<unsigned char> recs(bytes), scratch(bytes);
  if (std::fread(recs.data(), 1, bytes, file) != bytes) return false;
  SortBlock(recs.data(), scratch.data(), count, p);
  if (!SeekTo(file, p.header_len)) return false;
  if (std::fwrite(recs.data(), 1, bytes, file) != bytes) return false;
  return std::fflush(file) == 0;
}

// Cuts the records into sorted runs of `per_run` records, one run file each.
bool MakeRuns(Context& c, std::FILE* file, std::size_t count, unsigned char* buf, std::size_t per_run,
              std::vector<std::string>* runs) {
  const std::size_t len = c.p.record_len;
  std::vector<unsigned char> scratch(per_run * len);
  std::size_t left = count;
  while (left > 0) {
    RunFile out;
    std::string path;
    if (!CreateRunFile(c, &out, &path)) return false;
    const std::size_t n = std::min(left, per_run);
    if (std::fread(buf, 1, n * len, file) != n * len) return false;
    SortBlock(buf, scratch.data(), n, c.p);
    if (!out.Write(buf, n * len) || !out.Close()) return false;
    runs->push_back(path);
    left -= n;
  }
  return true;
}

// One run being merged: its file and a window of its unread records.
struct Source {
  RunFile file;
  std::string path;
  std::vector<unsigned char> buf;
  std::size_t pos = 0, end = 0;
  std::uint64_t key = 0;    // prefix key of the current record
  bool exhausted = false;
  const unsigned char* Current() const { return buf.data() + pos; }
};

enum class MergeResult { kOk, kTooManyOpen, kFailed };

// Refills `s`; marks it exhausted at the end of its file. A torn record
// means a damaged run file and fails.
bool Refill(Source& s, std::size_t record_len) {
  long n = s.file.Read(s.buf.data(), s.buf.size());
  if (n < 0 || static_cast<std::size_t>(n) % record_len != 0) return false;
  s.pos = 0;
  s.end = static_cast<std::size_t>(n);
  s.exhausted = n == 0;
  return true;
}

// Buffered record output to either a run file or the file being sorted.
class Sink {
 public:
  Sink(RunFile* run, std::FILE* file) : run_(run), file_(file), buf_(std::size_t{1} << 16) {}
  bool Put(const unsigned char* rec, std::size_t len) {
    if (used_ + len > buf_.size() && !Flush()) return false;
    std::memcpy(buf_.data() + used_, rec, len);
    used_ += len;
    return true;
  }
  bool Flush() {
    bool ok = run_ ? run_->Write(buf_.data(), used_) : std::fwrite(buf_.data(), 1, used_, file_) == used_;
    used_ = 0;
    return ok;
  }

 private:
  RunFile* run_;
  std::FILE* file_;
  std::vector<unsigned char> buf_;
  std::size_t used_ = 0;
};

// Merges the runs `paths` into `sink`, equal records going to the earlier
// run, through a tournament tree of losers (one comparison per level for
// every record written). Exhausted runs are closed and deleted. On
// kTooManyOpen nothing has been written or deleted yet.
MergeResult MergeGroup(Context& c, const std::vector<std::string>& paths, Sink& sink) {
  const std::size_t len = c.p.record_len;
  const std::size_t k = paths.size();
  const std::size_t per_source = std::max<std::size_t>(1, c.p.merge_budget / k / len) * len;
  std::vector<Source> src(k);
  for (std::size_t i = 0; i < k; ++i) {
    RunFile::OpenError why;
    if (!src[i].file.OpenRead(paths[i], &why))
      return why == RunFile::OpenError::kTooManyOpen ? MergeResult::kTooManyOpen : MergeResult::kFailed;
    src[i].path = paths[i];
  }
  const PrefixKeyFn key = c.p.prefix_key;
  auto load = [&](Source& s) {
    if (s.exhausted) {
      s.file.Close();
      c.live.Drop(s.path);
      std::vector<unsigned char>().swap(s.buf);
    } else if (key) {
      s.key = key(s.Current());
    }
  };
  for (auto& s : src) {
    s.buf.resize(per_source);
    if (!Refill(s, len)) return MergeResult::kFailed;
    load(s);
  }
  // Does source a's record go out before source b's?
  auto before = [&](std::size_t a, std::size_t b) {
    const Source &x = src[a], &y = src[b];
    if (x.exhausted || y.exhausted) return !x.exhausted || (y.exhausted && a < b);
    if (key && x.key != y.key) return x.key < y.key;
    int r = c.p.compare(x.Current(), y.Current());
    return r < 0 || (r == 0 && a < b);
  };
  // Node n (1 <= n < k) keeps the loser of the match below it; leaf i sits
  // at position k + i.
  std::vector<std::size_t> loser(k), winner(2 * k);
  for (std::size_t i = 0; i < k; ++i) winner[k + i] = i;
  for (std::size_t n = k - 1; n >= 1; --n) {
    std::size_t a = winner[2 * n], b = winner[2 * n + 1];
    bool a_first = before(a, b);
    winner[n] = a_first ? a : b;
    loser[n] = a_first ? b : a;
  }
  std::size_t top = k == 1 ? 0 : winner[1];

  while (!src[top].exhausted) {
    Source& s = src[top];
    if (!sink.Put(s.Current(), len)) return MergeResult::kFailed;
    s.pos += len;
    if (s.pos == s.end && !Refill(s, len)) return MergeResult::kFailed;
    load(s);
    for (std::size_t n = (k + top) / 2; n >= 1; n /= 2) {
      if (before(loser[n], top)) std::swap(loser[n], top);
    }
  }
  return sink.Flush() ? MergeResult::kOk : MergeResult::kFailed;
}

// Merges all runs back into `file`, through intermediate passes while there
// are more runs than files that can be open at once.
bool MergeRuns(Context& c, std::FILE* file, std::vector<std::string> runs) {
  std::size_t fan_in = c.p.max_open_runs ? c.p.max_open_runs : RunFile::MaxOpen();
  fan_in = std::max<std::size_t>(fan_in, 2);
  for (;;) {
    if (runs.size() <= fan_in) {
      if (!SeekTo(file, c.p.header_len)) return false;
      Sink sink(nullptr, file);
      MergeResult r = MergeGroup(c, runs, sink);
      if (r == MergeResult::kOk) return std::fflush(file) == 0 && !std::ferror(file);
      if (r == MergeResult::kFailed || fan_in == 2) return false;
      fan_in = std::max<std::size_t>(2, fan_in / 2);
      continue;
    }
    std::vector<std::string> next;
    bool retry = false;
    for (std::size_t b = 0; b < runs.size() && !retry; b += fan_in) {
      std::vector<std::string> group(runs.begin() + static_cast<std::ptrdiff_t>(b),
                                     runs.begin() + static_cast<std::ptrdiff_t>(std::min(runs.size(), b + fan_in)));
      if (group.size() == 1) {
        next.push_back(group[0]);
        continue;
      }
      RunFile out;
      std::string path;
      if (!CreateRunFile(c, &out, &path)) return false;
      Sink sink(&out, nullptr);
      MergeResult r = MergeGroup(c, group, sink);
      if (!out.Close()) r = MergeResult::kFailed;
      if (r == MergeResult::kFailed) return false;
      if (r == MergeResult::kTooManyOpen) {
        if (fan_in == 2) return false;
        c.live.Drop(path);
        fan_in = std::max<std::size_t>(2, fan_in / 2);
        next.insert(next.end(), runs.begin() + static_cast<std::ptrdiff_t>(b), runs.end());
        retry = true;
        break;
      }
      next.push_back(path);
    }
    runs = std::move(next);
  }
}

}  // namespace

std::string DefaultTempDir() {
  if (const char* t = std::getenv("TMP")) return t;
  if (const char* t = std::getenv("TEMP")) return t;
  return "";
}

int TempNamer::Next() {
  state_ = state_ * 214013u + 2531011u;
  return static_cast<int>((state_ >> 16) & 0x7fff);
}

bool TempNamer::MakeTempName(const std::string& dir, std::string* path) {
  std::string prefix = dir;
  if (!prefix.empty()) {
    char last = prefix.back();
    if (last != '\\' && last != '/' && last != ':') prefix += kDirSeparator;
  }
  if (prefix.size() + 12 > kMaxRunPath) return false;
  for (int i = 0; i < kNameTries; ++i) {
    char name[16];
    int a = Next();
    int b = Next();
    std::snprintf(name, sizeof name, "%04x%04x.$$$", a, b);
    *path = prefix + name;
    if (!RunFile::Exists(*path)) break;
  }
  return true;
}

bool SortRecords(std::FILE* file, const SortParams& p, TempNamer* namer) {
  TempNamer own;
  Context c{p, namer ? *namer : own, p.temp_dir ? std::string(p.temp_dir) : DefaultTempDir(), {}};

  std::size_t size = 0;
  Buffer work = AllocateWorkBuffer(p, &size);
  if (!work) return false;
  const std::size_t per_run = size / p.record_len - 1;

  const std::int64_t length = FileLength(file);
  if (length < 0) return false;
  const std::size_t count =
      length > p.header_len ? static_cast<std::size_t>((length - p.header_len) / static_cast<std::int64_t>(p.record_len)) : 0;
  if (!SeekTo(file, p.header_len)) return false;

  if (count < per_run) return SortInMemory(file, p, count);

  std::vector<std::string> runs;
  if (!MakeRuns(c, file, count, work.get(), per_run, &runs)) return false;
  work.reset();
  return MergeRuns(c, file, std::move(runs));
}

}  // namespace extsort
