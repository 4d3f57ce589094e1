#include "SQLiteVfs.h"

#include <sqlite3.h>

#include <cstring>
#include <mutex>

namespace chaffguard {

namespace {

constexpr char kVfsName[] = "chaffguard";

sqlite3_vfs g_vfs;
sqlite3_vfs* g_base = nullptr;
std::mutex g_register_mutex;

// A journal file: the base layer's file follows this header in the same block.
struct JournalFile {
  sqlite3_file head;  // pMethods = kJournalMethods
  sqlite3_file* real;
  // Held-back writes: one contiguous run starting at `held_at`.
  unsigned char* held;
  int held_size;
  int held_capacity;
  sqlite3_int64 held_at;
  enum : int { kNothing, kPageNumber, kPageImage } held_state;
};

constexpr int kRecordNumberSize = 4;  // page number and checksum

JournalFile* AsJournal(sqlite3_file* f) { return reinterpret_cast<JournalFile*>(f); }

int WriteHeld(JournalFile* j) {
  if (j->held_state == JournalFile::kNothing) return SQLITE_OK;
  const int size = j->held_size;
  j->held_state = JournalFile::kNothing;
  j->held_size = 0;
  return j->real->pMethods->xWrite(j->real, j->held, size, j->held_at);
}

bool Hold(JournalFile* j, const void* data, int amount, sqlite3_int64 offset) {
  if (j->held_size + amount > j->held_capacity) {
    const int capacity = j->held_size + amount;
    auto* grown = static_cast<unsigned char*>(sqlite3_realloc(j->held, capacity));
    if (!grown) return false;
    j->held = grown;
    j->held_capacity = capacity;
  }
  if (j->held_size == 0) j->held_at = offset;
  std::memcpy(j->held + j->held_size, data, static_cast<size_t>(amount));
  j->held_size += amount;
  return true;
}

int JournalWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
  JournalFile* j = AsJournal(f);
  const bool follows = j->held_state != JournalFile::kNothing && offset == j->held_at + j->held_size;
  if (follows && j->held_state == JournalFile::kPageNumber && amount > 2 * kRecordNumberSize) {
    if (Hold(j, data, amount, offset)) {
      j->held_state = JournalFile::kPageImage;
      return SQLITE_OK;
    }
  } else if (follows && j->held_state == JournalFile::kPageImage && amount == kRecordNumberSize) {
    if (Hold(j, data, amount, offset)) return WriteHeld(j);  // the record is complete
  }
  // Not the next part of a record: what is held goes first, then this write,
  // which is held only when it may start a record.
  if (int rc = WriteHeld(j); rc != SQLITE_OK) return rc;
  if (amount == kRecordNumberSize && Hold(j, data, amount, offset)) {
    j->held_state = JournalFile::kPageNumber;
    return SQLITE_OK;
  }
  return j->real->pMethods->xWrite(j->real, data, amount, offset);
}

int JournalClose(sqlite3_file* f) {
  JournalFile* j = AsJournal(f);
  const int held_rc = WriteHeld(j);
  const int rc = j->real->pMethods->xClose(j->real);
  sqlite3_free(j->held);
  j->held = nullptr;
  return held_rc != SQLITE_OK ? held_rc : rc;
}

// Every other operation writes what is held first and then passes through.
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
  JournalFile* j = AsJournal(f);
  return j->real->pMethods->xSectorSize(j->real);
}
int JournalDeviceCharacteristics(sqlite3_file* f) {
  JournalFile* j = AsJournal(f);
  return j->real->pMethods->xDeviceCharacteristics(j->real);
}

const sqlite3_io_methods kJournalMethods = {
    1,  // no shared memory, no memory mapping: journals use neither
    JournalClose,  JournalRead,  JournalWrite,       JournalTruncate,          JournalSync,
    JournalFileSize, JournalLock, JournalUnlock,     JournalCheckReservedLock, JournalFileControl,
    JournalSectorSize, JournalDeviceCharacteristics,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
};

int HeaderSize() {
  // The base layer's file is placed after the header at an 8-byte boundary.
  return static_cast<int>((sizeof(JournalFile) + 7) & ~static_cast<size_t>(7));
}

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out_flags) {
  if (!(flags & SQLITE_OPEN_MAIN_JOURNAL) || !name)
    return g_base->xOpen(g_base, name, file, flags, out_flags);
  auto* j = AsJournal(file);
  std::memset(j, 0, sizeof *j);
  j->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + HeaderSize());
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
