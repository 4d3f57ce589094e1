// The journal file layer under the database connections: a journal written
// through it holds exactly the bytes written, and a process that dies at any
// write of the database file leaves files from which the old database comes
// back, whatever the synchronous setting and journal mode.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "SQLiteVfs.h"
#include "SQLiteWrap.h"
#include "testutil.h"

namespace chaffguard {
namespace {

// ---- a file opened directly through a VFS --------------------------------

struct VfsFile {
  VfsFile(sqlite3_vfs* vfs, const std::string& path, int kind) : mem(vfs->szOsFile + 8) {
    file = reinterpret_cast<sqlite3_file*>(mem.data());
    int out = 0;
    rc = vfs->xOpen(vfs, path.c_str(), file,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | kind, &out);
  }
  ~VfsFile() {
    if (file->pMethods) file->pMethods->xClose(file);
  }
  int Write(const std::string& bytes, sqlite3_int64 at) {
    return file->pMethods->xWrite(file, bytes.data(), static_cast<int>(bytes.size()), at);
  }
  std::string Read(int n, sqlite3_int64 at) {
    std::string out(static_cast<size_t>(n), '\0');
    const int r = file->pMethods->xRead(file, out.data(), n, at);
    return r == SQLITE_OK || r == SQLITE_IOERR_SHORT_READ ? out : "<error>";
  }
  sqlite3_int64 Size() {
    sqlite3_int64 size = -1;
    file->pMethods->xFileSize(file, &size);
    return size;
  }
  std::vector<char> mem;
  sqlite3_file* file = nullptr;
  int rc = SQLITE_ERROR;
};

std::string Bytes(std::mt19937& rng, size_t n) {
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

TEST(JournalVfs, AJournalHoldsExactlyTheBytesWrittenWhateverTheOrderOfCalls) {
  cg_test::ScratchDir dir;
  sqlite3_vfs* layer = sqlite3_vfs_find(JournalVfsName());
  sqlite3_vfs* plain = sqlite3_vfs_find(nullptr);
  ASSERT_TRUE(layer && plain && layer != plain);
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    // A journal's mode is taken from its database file, which must exist.
    const std::string db = dir.File("j" + std::to_string(seed) + ".db");
    cg_test::WriteFile(db, "");
    VfsFile j(layer, db + "-journal", SQLITE_OPEN_MAIN_JOURNAL);
    VfsFile ref(plain, dir.File("ref" + std::to_string(seed) + ".bin"), SQLITE_OPEN_MAIN_JOURNAL);
    ASSERT_EQ(j.rc, SQLITE_OK);
    ASSERT_EQ(ref.rc, SQLITE_OK);
    sqlite3_int64 end = 0;
    // A large transaction first: 100 records in a row (far more than one
    // write of the base layer may carry).
    for (int record = 0; record < 100; ++record, end += 4104) {
      const std::string n = Bytes(rng, 4), image = Bytes(rng, 4096), sum = Bytes(rng, 4);
      for (VfsFile* f : {&j, &ref}) {
        ASSERT_EQ(f->Write(n, end), SQLITE_OK);
        ASSERT_EQ(f->Write(image, end + 4), SQLITE_OK);
        ASSERT_EQ(f->Write(sum, end + 4100), SQLITE_OK);
      }
    }
    for (int step = 0; step < 300; ++step) {
      const int what = static_cast<int>(rng() % 10);
      if (what < 5) {  // a journal record, sometimes cut short or out of place
        const int page = 512 << (rng() % 4);
        const sqlite3_int64 at = rng() % 4 == 0 ? static_cast<sqlite3_int64>(rng() % 20000) : end;
        const std::string n = Bytes(rng, 4), image = Bytes(rng, static_cast<size_t>(page)),
                          sum = Bytes(rng, 4);
        for (VfsFile* f : {&j, &ref}) ASSERT_EQ(f->Write(n, at), SQLITE_OK);
        if (rng() % 6 == 0) continue;
        for (VfsFile* f : {&j, &ref}) ASSERT_EQ(f->Write(image, at + 4), SQLITE_OK);
        if (rng() % 6 == 0) continue;
        for (VfsFile* f : {&j, &ref}) ASSERT_EQ(f->Write(sum, at + 4 + page), SQLITE_OK);
        end = std::max(end, at + 8 + page);
      } else if (what < 7) {  // a header or other write of any size
        const std::string b = Bytes(rng, 1 + rng() % 600);
        const sqlite3_int64 at = rng() % 2 ? 0 : end;
        for (VfsFile* f : {&j, &ref}) ASSERT_EQ(f->Write(b, at), SQLITE_OK);
      } else if (what < 8) {
        const sqlite3_int64 at = static_cast<sqlite3_int64>(rng() % 30000);
        ASSERT_EQ(j.Read(64, at), ref.Read(64, at)) << "seed " << seed << " step " << step;
      } else if (what < 9) {
        ASSERT_EQ(j.Size(), ref.Size()) << "seed " << seed << " step " << step;
      } else {
        const sqlite3_int64 to = static_cast<sqlite3_int64>(rng() % 30000);
        for (VfsFile* f : {&j, &ref}) ASSERT_EQ(f->file->pMethods->xTruncate(f->file, to), SQLITE_OK);
        end = std::min(end, to);
      }
    }
    ASSERT_EQ(j.file->pMethods->xSync(j.file, SQLITE_SYNC_NORMAL), SQLITE_OK);
    EXPECT_EQ(cg_test::ReadFile(db + "-journal"),
              cg_test::ReadFile(dir.File("ref" + std::to_string(seed) + ".bin")))
        << "seed " << seed;
  }
}

// ---- a layer that copies the files aside at every database write ---------

struct Snapshot {
  std::string db, journal;
};

struct Recorder {
  sqlite3_vfs vfs{};
  sqlite3_vfs* below = nullptr;
  std::string db_path;
  std::vector<Snapshot> snapshots;
};
Recorder g_recorder;

struct RecordedFile {
  sqlite3_file head;
  sqlite3_file* real;
  bool is_db;
};

sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<RecordedFile*>(f)->real; }

// What the disk would hold if the process died right now.
void TakeSnapshot() {
  g_recorder.snapshots.push_back({cg_test::ReadFile(g_recorder.db_path),
                                  cg_test::ReadFile(g_recorder.db_path + "-journal")});
}

int RClose(sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); }
int RRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), b, n, o); }
// The files are copied right after each change of the database file: what
// the layer under test holds back at that moment is lost in the copy.
int RWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
  const int rc = Real(f)->pMethods->xWrite(Real(f), b, n, o);
  if (reinterpret_cast<RecordedFile*>(f)->is_db) TakeSnapshot();
  return rc;
}
int RTruncate(sqlite3_file* f, sqlite3_int64 s) {
  const int rc = Real(f)->pMethods->xTruncate(Real(f), s);
  if (reinterpret_cast<RecordedFile*>(f)->is_db) TakeSnapshot();
  return rc;
}
int RSync(sqlite3_file* f, int fl) { return Real(f)->pMethods->xSync(Real(f), fl); }
int RSize(sqlite3_file* f, sqlite3_int64* s) { return Real(f)->pMethods->xFileSize(Real(f), s); }
int RLock(sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); }
int RUnlock(sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); }
int RCheck(sqlite3_file* f, int* r) { return Real(f)->pMethods->xCheckReservedLock(Real(f), r); }
int RControl(sqlite3_file* f, int op, void* a) { return Real(f)->pMethods->xFileControl(Real(f), op, a); }
int RSector(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int RDevice(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }

const sqlite3_io_methods kRecordedMethods = {1,      RClose,  RRead,    RWrite,   RTruncate,
                                             RSync,  RSize,   RLock,    RUnlock,  RCheck,
                                             RControl, RSector, RDevice, nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr};

int ROpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* out) {
  auto* r = reinterpret_cast<RecordedFile*>(f);
  r->head.pMethods = nullptr;
  r->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + 64);
  r->is_db = (flags & SQLITE_OPEN_MAIN_DB) != 0;
  sqlite3_vfs* below = g_recorder.below;
  const int rc = below->xOpen(below, name, r->real, flags, out);
  if (rc != SQLITE_OK) {
    if (r->real->pMethods) r->real->pMethods->xClose(r->real);
    return rc;
  }
  r->head.pMethods = &kRecordedMethods;
  return SQLITE_OK;
}

sqlite3_vfs* RecorderVfs() {
  if (sqlite3_vfs* v = sqlite3_vfs_find("cg-test-recorder")) return v;
  static_assert(sizeof(RecordedFile) <= 64);
  Recorder& r = g_recorder;
  r.below = sqlite3_vfs_find(JournalVfsName());
  r.vfs = *r.below;  // everything but opening passes straight to the layer under test
  r.vfs.pNext = nullptr;
  r.vfs.zName = "cg-test-recorder";
  r.vfs.szOsFile = 64 + r.below->szOsFile;
  r.vfs.pAppData = nullptr;
  r.vfs.xOpen = ROpen;
  sqlite3_vfs_register(&r.vfs, 0);
  return &r.vfs;
}

std::string Contents(TSQLiteDatabase& db) {
  auto t = db.GetTable("SELECT count(*) AS n, total(length(v)) AS l, total(k * unicode(v)) AS h FROM t");
  return std::to_string(t->FieldAsInteger("N")) + "/" + std::to_string(t->FieldAsInteger("L")) +
         "/" + std::to_string(t->FieldAsInteger("H"));
}

// SQLite's own check of a database (after any rollback of its journal).
std::string IntegrityCheck(const std::string& path) {
  sqlite3* db = nullptr;
  std::string result;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, JournalVfsName()) == SQLITE_OK) {
    sqlite3_exec(
        db, "PRAGMA integrity_check",
        [](void* out, int, char** values, char**) {
          *static_cast<std::string*>(out) += values[0] ? values[0] : "";
          return 0;
        },
        &result, nullptr);
  }
  sqlite3_close(db);
  return result;
}

void Exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "") << sql;
}

TEST(JournalVfs, ADeathAtAnyDatabaseWriteLeavesTheOldDatabase) {
  RecorderVfs();
  const char* const kModes[][2] = {{"OFF", "PERSIST"}, {"OFF", "DELETE"}, {"NORMAL", "PERSIST"}};
  for (const auto& mode : kModes) {
    SCOPED_TRACE(std::string(mode[0]) + " " + mode[1]);
    cg_test::ScratchDir dir;
    const std::string path = dir.File("words.db3");
    std::string before;
    {
      TSQLiteDatabase db(path);
      db.ExecSQL("PRAGMA auto_vacuum = 1");
      db.ExecSQL("CREATE TABLE t (k INTEGER PRIMARY KEY, v TEXT)");
      db.ExecSQL("CREATE INDEX vi ON t (v)");
      db.ExecSQL("BEGIN");
      for (int k = 1; k <= 120; ++k)
        db.ExecSQL("INSERT INTO t VALUES (" + std::to_string(k) + ", printf('%.*c', " +
                   std::to_string(100 + k % 150) + ", char(65 + " + std::to_string(k % 26) + ")))");
      db.ExecSQL("COMMIT");
      before = Contents(db);
    }
    g_recorder.db_path = path;
    g_recorder.snapshots.clear();
    std::string after;
    size_t before_commit = 0;
    {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, "cg-test-recorder"), SQLITE_OK);
      Exec(db, std::string("PRAGMA synchronous = ") + mode[0]);
      Exec(db, std::string("PRAGMA journal_mode = ") + mode[1]);
      Exec(db, "PRAGMA cache_size = 3");  // pages go to the file before the commit
      Exec(db, "BEGIN");
      Exec(db, "UPDATE t SET v = printf('%.*c', 90 + k % 170, char(97 + k % 26)) WHERE k % 3 <> 0");
      Exec(db, "DELETE FROM t WHERE k % 7 = 0");
      Exec(db, "INSERT INTO t SELECT k + 1000, v || 'x' FROM t WHERE k < 40");
      before_commit = g_recorder.snapshots.size();
      EXPECT_GT(before_commit, 0u) << "nothing reached the file before the commit";
      Exec(db, "COMMIT");
      sqlite3_close(db);
      TSQLiteDatabase check(path);
      after = Contents(check);
    }
    ASSERT_NE(before, after);
    ASSERT_GT(g_recorder.snapshots.size(), 5u);
    // Before the commit every death must roll back; during it the database
    // is the old or the new one (the file is cut to size after the commit
    // point), never a mixture.
    for (size_t i = 0; i < g_recorder.snapshots.size(); ++i) {
      const Snapshot& s = g_recorder.snapshots[i];
      cg_test::ScratchDir crash;
      cg_test::WriteFile(crash.File("words.db3"), s.db);
      if (!s.journal.empty()) cg_test::WriteFile(crash.File("words.db3-journal"), s.journal);
      TSQLiteDatabase db(crash.File("words.db3"));
      EXPECT_EQ(IntegrityCheck(crash.File("words.db3")), "ok") << "database write " << i + 1;
      const std::string found = Contents(db);
      if (i < before_commit) {
        EXPECT_EQ(found, before) << "death at database write " << i + 1;
      } else {
        EXPECT_TRUE(found == before || found == after) << "death at database write " << i + 1;
      }
    }
    g_recorder.db_path.clear();
  }
}

TEST(JournalVfs, AKeptJournalIsReopenedAndAFreshOneMade) {
  cg_test::ScratchDir dir;
  const std::string path = dir.File("w.db3");
  for (int round = 0; round < 3; ++round) {
    if (round == 2) std::filesystem::remove(path + "-journal");
    TSQLiteDatabase db(path);
    db.GetTable("PRAGMA journal_mode = PERSIST");
    db.ExecSQL("CREATE TABLE IF NOT EXISTS t (v)");
    db.ExecSQL("INSERT INTO t VALUES (" + std::to_string(round) + ")");
    EXPECT_TRUE(std::filesystem::exists(path + "-journal"));
    EXPECT_EQ(db.GetTableValue("SELECT count(*) FROM t"), round + 1);
  }
}

}  // namespace
}  // namespace chaffguard
