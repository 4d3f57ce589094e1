#include "SQLiteVfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace chaffguard {

namespace {

constexpr char kVfsName[] = "chaffguard";
constexpr char kJournalSuffix[] = "-journal";
// The base layers write at most 128 KiB - 1 bytes per call (the unix layer
// cuts larger sizes): a held run is written before it would grow past 64 KiB.
constexpr int kMaxHeldBytes = 64 << 10;

sqlite3_vfs g_vfs;
sqlite3_vfs* g_base = nullptr;
std::mutex g_register_mutex;

// A journal file: the base layer's file follows the header in the same block.
struct JournalFile {
  sqlite3_file head;  // pMethods = kJournalMethods
  sqlite3_file* real;
  const char* name;   // "<database>-journal", valid until the file is closed
  size_t db_name_size;
  // Held-back writes: one contiguous run starting at `held_at`.
  unsigned char* held;
  int held_size;
  int held_capacity;
  sqlite3_int64 held_at;
};

// A database file, only watched: before it is written, synced, cut, unlocked
// or controlled, its journals write what they hold.
struct DbFile {
  sqlite3_file head;  // pMethods = kDbMethods
  sqlite3_file* real;
  const char* name;
};

// Journals that hold writes. The mutex also guards every journal's held run,
// as a database connection of another thread may write it out.
std::mutex g_held_mutex;
std::vector<JournalFile*>& Holding() {
  static auto* list = new std::vector<JournalFile*>();  // outlives every file
  return *list;
}

JournalFile* AsJournal(sqlite3_file* f) { return reinterpret_cast<JournalFile*>(f); }
DbFile* AsDb(sqlite3_file* f) { return reinterpret_cast<DbFile*>(f); }

// With g_held_mutex held. On failure the run stays held (and is tried again by
// the next operation), so no journal byte is ever lost silently.
int WriteHeldLocked(JournalFile* j) {
  if (j->held_size == 0) return SQLITE_OK;
  const int rc = j->real->pMethods->xWrite(j->real, j->held, j->held_size, j->held_at);
  if (rc != SQLITE_OK) return rc;
  j->held_size = 0;
  auto& list = Holding();
  list.erase(std::remove(list.begin(), list.end(), j), list.end());
  return SQLITE_OK;
}

int WriteHeld(JournalFile* j) {
  std::lock_guard<std::mutex> lock(g_held_mutex);
  return WriteHeldLocked(j);
}

// Everything the journals of database `db_name` hold.
int WriteHeldFor(const char* db_name) {
  if (!db_name) return SQLITE_OK;
  std::lock_guard<std::mutex> lock(g_held_mutex);
  auto& list = Holding();
  if (list.empty()) return SQLITE_OK;
  const size_t size = std::strlen(db_name);
  for (size_t i = list.size(); i-- > 0;) {  // a written journal leaves the list
    JournalFile* j = list[i];
    if (j->db_name_size != size || std::memcmp(j->name, db_name, size) != 0) continue;
    if (int rc = WriteHeldLocked(j); rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

bool Hold(JournalFile* j, const void* data, int amount, sqlite3_int64 offset) {
  if (j->held_size + amount > j->held_capacity) {
    const int capacity = std::max(j->held_size + amount, 2 * j->held_capacity);
    auto* grown = static_cast<unsigned char*>(sqlite3_realloc(j->held, capacity));
    if (!grown) return false;
    j->held = grown;
    j->held_capacity = capacity;
  }
  if (j->held_size == 0) {
    j->held_at = offset;
    Holding().push_back(j);
  }
  std::memcpy(j->held + j->held_size, data, static_cast<size_t>(amount));
  j->held_size += amount;
  return true;
}

// ---- journal methods --------------------------------------------------

int JournalWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
  JournalFile* j = AsJournal(f);
  std::lock_guard<std::mutex> lock(g_held_mutex);
  const bool follows = j->held_size > 0 && offset == j->held_at + j->held_size;
  if (!follows || j->held_size + amount > kMaxHeldBytes) {
    if (int rc = WriteHeldLocked(j); rc != SQLITE_OK) return rc;
  }
  if (amount <= kMaxHeldBytes && Hold(j, data, amount, offset)) return SQLITE_OK;
  if (int rc = WriteHeldLocked(j); rc != SQLITE_OK) return rc;
  return j->real->pMethods->xWrite(j->real, data, amount, offset);
}

int JournalClose(sqlite3_file* f) {
  JournalFile* j = AsJournal(f);
  int held_rc = WriteHeld(j);
  if (held_rc != SQLITE_OK) {
    // Closed regardless: the run is dropped, and the failure reported.
    std::lock_guard<std::mutex> lock(g_held_mutex);
    auto& list = Holding();
    list.erase(std::remove(list.begin(), list.end(), j), list.end());
  }
  const int rc = j->real->pMethods->xClose(j->real);
  sqlite3_free(j->held);
  j->held = nullptr;
  return held_rc != SQLITE_OK ? held_rc : rc;
}

// Every other journal operation writes what is held first.
template <typename Call>
int AfterHeld(sqlite3_file* f, Call call) {
  JournalFile* j = AsJournal(f);
  if (int rc = WriteHeld(j); rc != SQLITE_OK) return rc;
  return call(j->real);
}

int JournalRead(sqlite3_file* f, void* out, int amount, sqlite3_int64 offset) {
  return AfterHeld(f, [&](sqlite3_file* r) { return r->pMethods->xRead(r, out, amount, offset); });
}
int JournalTruncate(sqlite3_file* f, sqlite3_int64 size) {
  return AfterHeld(f, [&](sqlite3_file* r) { return r->pMethods->xTruncate(r, size); });
}
int JournalSync(sqlite3_file* f, int flags) {
  return AfterHeld(f, [&](sqlite3_file* r) { return r->pMethods->xSync(r, flags); });
}
int JournalFileSize(sqlite3_file* f, sqlite3_int64* size) {
  return AfterHeld(f, [&](sqlite3_file* r) { return r->pMethods->xFileSize(r, size); });
}
int JournalLock(sqlite3_file* f, int level) {
  return AfterHeld(f, [&](sqlite3_file* r) { return r->pMethods->xLock(r, level); });
}
int JournalUnlock(sqlite3_file* f, int level) {
  return AfterHeld(f, [&](sqlite3_file* r) { return r->pMethods->xUnlock(r, level); });
}
int JournalCheckReservedLock(sqlite3_file* f, int* out) {
  return AfterHeld(f, [&](sqlite3_file* r) { return r->pMethods->xCheckReservedLock(r, out); });
}
int JournalFileControl(sqlite3_file* f, int op, void* arg) {
  return AfterHeld(f, [&](sqlite3_file* r) { return r->pMethods->xFileControl(r, op, arg); });
}
int JournalSectorSize(sqlite3_file* f) {
  sqlite3_file* r = AsJournal(f)->real;
  return r->pMethods->xSectorSize(r);
}
int JournalDeviceCharacteristics(sqlite3_file* f) {
  sqlite3_file* r = AsJournal(f)->real;
  return r->pMethods->xDeviceCharacteristics(r);
}

const sqlite3_io_methods kJournalMethods = {
    1,  // no shared memory, no memory mapping: journals use neither
    JournalClose, JournalRead, JournalWrite, JournalTruncate, JournalSync, JournalFileSize,
    JournalLock, JournalUnlock, JournalCheckReservedLock, JournalFileControl, JournalSectorSize,
    JournalDeviceCharacteristics, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// ---- database methods -------------------------------------------------

// A database operation after which the journals' bytes must be in the file.
template <typename Call>
int AfterJournals(sqlite3_file* f, Call call) {
  DbFile* d = AsDb(f);
  if (int rc = WriteHeldFor(d->name); rc != SQLITE_OK) return rc;
  return call(d->real);
}

sqlite3_file* RealDb(sqlite3_file* f) { return AsDb(f)->real; }

int DbClose(sqlite3_file* f) {
  const int held_rc = WriteHeldFor(AsDb(f)->name);
  sqlite3_file* r = RealDb(f);
  const int rc = r->pMethods->xClose(r);
  return held_rc != SQLITE_OK ? held_rc : rc;
}
int DbRead(sqlite3_file* f, void* out, int amount, sqlite3_int64 offset) {
  sqlite3_file* r = RealDb(f);
  return r->pMethods->xRead(r, out, amount, offset);
}
int DbWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
  return AfterJournals(f, [&](sqlite3_file* r) { return r->pMethods->xWrite(r, data, amount, offset); });
}
int DbTruncate(sqlite3_file* f, sqlite3_int64 size) {
  return AfterJournals(f, [&](sqlite3_file* r) { return r->pMethods->xTruncate(r, size); });
}
int DbSync(sqlite3_file* f, int flags) {
  return AfterJournals(f, [&](sqlite3_file* r) { return r->pMethods->xSync(r, flags); });
}
int DbFileSize(sqlite3_file* f, sqlite3_int64* size) {
  sqlite3_file* r = RealDb(f);
  return r->pMethods->xFileSize(r, size);
}
int DbLock(sqlite3_file* f, int level) {
  sqlite3_file* r = RealDb(f);
  return r->pMethods->xLock(r, level);
}
int DbUnlock(sqlite3_file* f, int level) {
  return AfterJournals(f, [&](sqlite3_file* r) { return r->pMethods->xUnlock(r, level); });
}
int DbCheckReservedLock(sqlite3_file* f, int* out) {
  sqlite3_file* r = RealDb(f);
  return r->pMethods->xCheckReservedLock(r, out);
}
int DbFileControl(sqlite3_file* f, int op, void* arg) {
  return AfterJournals(f, [&](sqlite3_file* r) { return r->pMethods->xFileControl(r, op, arg); });
}
int DbSectorSize(sqlite3_file* f) {
  sqlite3_file* r = RealDb(f);
  return r->pMethods->xSectorSize(r);
}
int DbDeviceCharacteristics(sqlite3_file* f) {
  sqlite3_file* r = RealDb(f);
  return r->pMethods->xDeviceCharacteristics(r);
}
int DbShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
  return AfterJournals(f, [&](sqlite3_file* r) { return r->pMethods->xShmMap(r, page, size, extend, out); });
}
int DbShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return AfterJournals(f, [&](sqlite3_file* r) { return r->pMethods->xShmLock(r, offset, n, flags); });
}
void DbShmBarrier(sqlite3_file* f) {
  sqlite3_file* r = RealDb(f);
  r->pMethods->xShmBarrier(r);
}
int DbShmUnmap(sqlite3_file* f, int remove) {
  return AfterJournals(f, [&](sqlite3_file* r) { return r->pMethods->xShmUnmap(r, remove); });
}
int DbFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
  sqlite3_file* r = RealDb(f);
  return r->pMethods->xFetch(r, offset, amount, out);
}
int DbUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) {
  sqlite3_file* r = RealDb(f);
  return r->pMethods->xUnfetch(r, offset, p);
}

// Offers exactly the methods of the base layer's version.
sqlite3_io_methods DbMethodsFor(int version) {
  sqlite3_io_methods m{};
  m.iVersion = std::min(version, 3);
  m.xClose = DbClose;
  m.xRead = DbRead;
  m.xWrite = DbWrite;
  m.xTruncate = DbTruncate;
  m.xSync = DbSync;
  m.xFileSize = DbFileSize;
  m.xLock = DbLock;
  m.xUnlock = DbUnlock;
  m.xCheckReservedLock = DbCheckReservedLock;
  m.xFileControl = DbFileControl;
  m.xSectorSize = DbSectorSize;
  m.xDeviceCharacteristics = DbDeviceCharacteristics;
  if (m.iVersion >= 2) {
    m.xShmMap = DbShmMap;
    m.xShmLock = DbShmLock;
    m.xShmBarrier = DbShmBarrier;
    m.xShmUnmap = DbShmUnmap;
  }
  if (m.iVersion >= 3) {
    m.xFetch = DbFetch;
    m.xUnfetch = DbUnfetch;
  }
  return m;
}
const sqlite3_io_methods kDbMethods[4] = {DbMethodsFor(0), DbMethodsFor(1), DbMethodsFor(2),
                                          DbMethodsFor(3)};

// ---- the layer --------------------------------------------------------

int HeaderSize() {
  // The base layer's file is placed after our header at an 8-byte boundary.
  const size_t header = std::max(sizeof(JournalFile), sizeof(DbFile));
  return static_cast<int>((header + 7) & ~static_cast<size_t>(7));
}

sqlite3_file* RealOf(sqlite3_file* file) {
  return reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + HeaderSize());
}

bool EndsWith(const char* name, const char* suffix) {
  const size_t n = std::strlen(name), s = std::strlen(suffix);
  return n >= s && std::memcmp(name + n - s, suffix, s) == 0;
}

int OpenDb(const char* name, sqlite3_file* file, int flags, int* out_flags) {
  auto* d = AsDb(file);
  std::memset(d, 0, sizeof *d);
  d->real = RealOf(file);
  d->name = name;
  const int rc = g_base->xOpen(g_base, name, d->real, flags, out_flags);
  if (rc != SQLITE_OK) {
    if (d->real->pMethods) d->real->pMethods->xClose(d->real);
    return rc;
  }
  d->head.pMethods = &kDbMethods[std::clamp(d->real->pMethods->iVersion, 0, 3)];
  return SQLITE_OK;
}

int OpenJournal(const char* name, sqlite3_file* file, int flags, int* out_flags) {
  auto* j = AsJournal(file);
  std::memset(j, 0, sizeof *j);
  j->real = RealOf(file);
  j->name = name;
  j->db_name_size = EndsWith(name, kJournalSuffix) ? std::strlen(name) - std::strlen(kJournalSuffix)
                                                   : static_cast<size_t>(-1);
  int rc = SQLITE_CANTOPEN;
  int exists = 0;
  if ((flags & SQLITE_OPEN_CREATE) &&
      g_base->xAccess(g_base, name, SQLITE_ACCESS_EXISTS, &exists) == SQLITE_OK && exists) {
    rc = g_base->xOpen(g_base, name, j->real, flags & ~SQLITE_OPEN_CREATE, out_flags);
    if (rc != SQLITE_OK && j->real->pMethods) j->real->pMethods->xClose(j->real);
    // Removed in the meantime, or not to be opened without creating: as asked.
    if (rc != SQLITE_OK) std::memset(j->real, 0, static_cast<size_t>(g_base->szOsFile));
  }
  if (rc != SQLITE_OK) {
    rc = g_base->xOpen(g_base, name, j->real, flags, out_flags);
    if (rc != SQLITE_OK) {
      if (j->real->pMethods) j->real->pMethods->xClose(j->real);
      return rc;
    }
  }
  j->head.pMethods = &kJournalMethods;
  return SQLITE_OK;
}

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out_flags) {
  if (name && (flags & SQLITE_OPEN_MAIN_JOURNAL)) return OpenJournal(name, file, flags, out_flags);
  if (name && (flags & SQLITE_OPEN_MAIN_DB)) return OpenDb(name, file, flags, out_flags);
  return g_base->xOpen(g_base, name, file, flags, out_flags);
}

int Delete(sqlite3_vfs*, const char* name, int sync_dir) {
  return g_base->xDelete(g_base, name, sync_dir);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
  return g_base->xAccess(g_base, name, flags, out);
}
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  return g_base->xFullPathname(g_base, name, size, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) { return g_base->xDlOpen(g_base, name); }
void DlError(sqlite3_vfs*, int size, char* out) { g_base->xDlError(g_base, size, out); }
void (*DlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
  return g_base->xDlSym(g_base, handle, symbol);
}
void DlClose(sqlite3_vfs*, void* handle) { g_base->xDlClose(g_base, handle); }
int Randomness(sqlite3_vfs*, int size, char* out) { return g_base->xRandomness(g_base, size, out); }
int Sleep(sqlite3_vfs*, int micros) { return g_base->xSleep(g_base, micros); }
int CurrentTime(sqlite3_vfs*, double* out) { return g_base->xCurrentTime(g_base, out); }
int GetLastError(sqlite3_vfs*, int size, char* out) {
  return g_base->xGetLastError ? g_base->xGetLastError(g_base, size, out) : 0;
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
  if (g_base->iVersion >= 2 && g_base->xCurrentTimeInt64)
    return g_base->xCurrentTimeInt64(g_base, out);
  double days = 0;
  const int rc = g_base->xCurrentTime(g_base, &days);
  *out = static_cast<sqlite3_int64>(days * 86400000.0);
  return rc;
}

}  // namespace

const char* JournalVfsName() {
  std::lock_guard<std::mutex> lock(g_register_mutex);
  if (sqlite3_vfs_find(kVfsName)) return kVfsName;
  sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
  if (!base) return nullptr;  // SQLite chooses its default then
  g_base = base;
  g_vfs = sqlite3_vfs{};
  g_vfs.iVersion = 2;
  g_vfs.szOsFile = HeaderSize() + base->szOsFile;
  g_vfs.mxPathname = base->mxPathname;
  g_vfs.zName = kVfsName;
  g_vfs.xOpen = Open;
  g_vfs.xDelete = Delete;
  g_vfs.xAccess = Access;
  g_vfs.xFullPathname = FullPathname;
  g_vfs.xDlOpen = DlOpen;
  g_vfs.xDlError = DlError;
  g_vfs.xDlSym = DlSym;
  g_vfs.xDlClose = DlClose;
  g_vfs.xRandomness = Randomness;
  g_vfs.xSleep = Sleep;
  g_vfs.xCurrentTime = CurrentTime;
  g_vfs.xGetLastError = GetLastError;
  g_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
  if (sqlite3_vfs_register(&g_vfs, 0) != SQLITE_OK) return nullptr;
  return kVfsName;
}

void UnregisterJournalVfs() {
  std::lock_guard<std::mutex> lock(g_register_mutex);
  if (sqlite3_vfs_find(kVfsName) == &g_vfs) sqlite3_vfs_unregister(&g_vfs);
}

}  // namespace chaffguard
