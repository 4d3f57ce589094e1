#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <random>

#include "bayes4.h"
#include "cgtext.h"
#include "filelock.h"

namespace chaffguard {

namespace {
const char* const kPragmas[] = {
    "PRAGMA auto_vacuum = 1",
    "PRAGMA encoding = \"UTF-8\"",
    "PRAGMA page_size = 4096",
};

// The database is made complete under a private name and then given its
// own name only if no other process made it meanwhile: nobody ever opens a
// half-made database, and a failed creation leaves nothing behind.
void CreateIfMissing(const std::string& path, const char* table, const char* index) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return;
  std::random_device rd;
  const std::string work = path + ".new" + std::to_string(rd()) + std::to_string(rd());
  try {
    TSQLiteDatabase db(work);
    for (const char* p : kPragmas) db.ExecSQL(p);
    db.ExecSQL(table);
    db.ExecSQL(index);
  } catch (...) {
    std::filesystem::remove(work, ec);
    throw;
  }
  if (!MoveFileNoReplace(work, path)) std::filesystem::remove(work, ec);
}

constexpr int kKeptJournalBytes = 1 << 20;

std::unique_ptr<TSQLiteDatabase> Open(const std::string& path, bool forced_writes) {
  auto db = std::make_unique<TSQLiteDatabase>(path);
  db->SetTimeout(kBusyTimeoutMs);
  db->ExecSQL(forced_writes ? "PRAGMA SYNCHRONOUS=NORMAL" : "PRAGMA SYNCHRONOUS=OFF");
  return db;
}

// "BEGIN IMMEDIATE" ... "COMMIT" around a read-then-write group; committed
// also on the way out of an error, like the other groups.
class WriteLock {
 public:
  explicit WriteLock(TSQLiteDatabase& db) : db_(db) { db_.BeginTransaction("", "IMMEDIATE"); }
  ~WriteLock() noexcept(false) {
    if (std::uncaught_exceptions() > uncaught_) {
      try { db_.Commit(); } catch (...) {}
    } else {
      db_.Commit();
    }
  }

 private:
  TSQLiteDatabase& db_;
  int uncaught_ = std::uncaught_exceptions();
};

// Releases a savepoint when the scope ends, also on the way out of an error.
// Outside a transaction the savepoint is taken under the write lock first:
// a deferred transaction that reads and then writes can be refused at once
// (SQLITE_BUSY without waiting) while another process commits.
class Savepoint {
 public:
  Savepoint(TSQLiteDatabase& db, std::string name) : db_(db), name_(std::move(name)) {
    if (!db_.InTransaction()) lock_.emplace(db_);
    db_.BeginTransaction(name_);
  }
  ~Savepoint() noexcept(false) {
    if (std::uncaught_exceptions() > uncaught_) {
      try { db_.Commit(name_); } catch (...) {}
    } else {
      db_.Commit(name_);
    }
  }

 private:
  std::optional<WriteLock> lock_;  // committed after the savepoint is released
  TSQLiteDatabase& db_;
  std::string name_;
  int uncaught_ = std::uncaught_exceptions();
};

std::string DaysAgo(const LocalDateTime& today, int days) {
  return DateNumber(AddDays(today, -static_cast<long>(days)));
}
}  // namespace

void CreateDatabases(const std::string& data_dir) {
  CreateIfMissing(JoinPath(data_dir, kWordsDbName),
                  "CREATE TABLE words (key INTEGER PRIMARY KEY, word TEXT, spamcount INTEGER "
                  "DEFAULT \"0\", nospamcount INTEGER DEFAULT \"0\",dt INTEGER DEFAULT \"0\",prob "
                  "REAL DEFAULT \"0\")",
                  "CREATE INDEX wordidx ON words (word)");
  CreateIfMissing(JoinPath(data_dir, kListDbName),
                  "CREATE TABLE white (key INTEGER PRIMARY KEY, kind INTEGER DEFAULT \"0\", mail "
                  "TEXT, dt INTEGER DEFAULT \"0\")",
                  "CREATE INDEX mailidx ON white (mail)");
}

std::unique_ptr<TSQLiteDatabase> OpenWordsDb(const std::string& data_dir, bool forced_writes) {
  auto db = Open(JoinPath(data_dir, kWordsDbName), forced_writes);
  db->ExecSQL("PRAGMA temp_store = MEMORY");
  // Nearly every call writes this database. Its journal is kept between
  // transactions (header zeroed) instead of being made and removed for each
  // one, and cut back to kKeptJournalBytes after a large transaction.
  db->GetTable("PRAGMA journal_mode = PERSIST");
  db->GetTable("PRAGMA journal_size_limit = " + std::to_string(kKeptJournalBytes));
  return db;
}

std::unique_ptr<TSQLiteDatabase> OpenListDb(const std::string& data_dir, bool forced_writes) {
  return Open(JoinPath(data_dir, kListDbName), forced_writes);
}

ReadTransaction::ReadTransaction(TSQLiteDatabase& db)
    : db_(db), uncaught_(std::uncaught_exceptions()) {
  if (!db_.InTransaction()) {
    db_.BeginTransaction();
    own_ = true;
  }
}

ReadTransaction::~ReadTransaction() noexcept(false) {
  if (!own_) return;
  if (std::uncaught_exceptions() > uncaught_) {
    try { db_.Commit(); } catch (...) {}
  } else {
    db_.Commit();
  }
}

std::optional<StoredToken> LookupToken(TSQLiteDatabase& db, const std::string& word) {
  db.AddParamText(":word", word);
  auto t = db.GetTable("SELECT key, spamcount, nospamcount FROM words WHERE word=:word LIMIT 1");
  if (t->Eof()) return std::nullopt;
  StoredToken s;
  s.key = t->FieldAsInteger("key");
  s.spamcount = t->FieldAsInteger("spamcount");
  s.nospamcount = t->FieldAsInteger("nospamcount");
  return s;
}

void WriteTokenList(TSQLiteDatabase& db, std::vector<TokenRecord> items, const LocalDateTime& today) {
  std::stable_sort(items.begin(), items.end(),
                   [](const TokenRecord& a, const TokenRecord& b) { return a.hash < b.hash; });
  const std::string dt = DateNumber(today);
  Savepoint sp(db, "Bay4Update2");
  for (const auto& item : items) {
    int64_t s = std::max<int64_t>(item.spam, 0);
    int64_t g = std::max<int64_t>(item.nospam, 0);
    if (s > kHalveAbove || g > kHalveAbove) {
      s /= 2;
      g /= 2;
    }
    if (s == 0 && g == 0) {
      db.AddParamInt(":key", item.key);
      db.ExecSQL("DELETE FROM words WHERE key=:key");
      continue;
    }
    long double p = (static_cast<long double>(s) + 1) / (static_cast<long double>(s + g) + 2);
    const double prob = static_cast<double>(std::fabs(p - 0.5L));
    db.AddParamInt(":sc", s);
    db.AddParamInt(":nc", g);
    db.AddParamText(":dt", dt);
    db.AddParamFloat(":pw", prob);
    if (item.key > 0) {
      db.AddParamInt(":k", item.key);
      db.ExecSQL("UPDATE words SET spamcount=:sc, nospamcount=:nc, dt=:dt, prob=:pw WHERE key=:k");
    } else {
      db.AddParamText(":w", item.word);
      db.ExecSQL(
          "INSERT INTO words ( word, spamcount, nospamcount, prob, dt )VALUES ( :w, :sc, :nc, "
          ":pw, :dt)");
    }
  }
}

void TouchTokenList(TSQLiteDatabase& db, const std::vector<TokenRecord>& items,
                    const LocalDateTime& today) {
  const std::string dt = DateNumber(today);
  Savepoint sp(db, "Bay4UpdateDate2");
  for (const auto& item : items) {
    if (item.key <= 0) continue;
    db.AddParamText(":dt", dt);
    db.AddParamInt(":k", item.key);
    db.ExecSQL("UPDATE words SET dt=:dt WHERE key=:k");
  }
}

int CleanNeutral(TSQLiteDatabase& db, const LocalDateTime& today, int old_days) {
  db.AddParamText(":dt", DaysAgo(today, old_days));
  db.ExecSQL("DELETE FROM words WHERE (dt < :dt) AND (prob < 0.2)");
  return db.GetLastChangedRows();
}

int CleanOld(TSQLiteDatabase& db, const LocalDateTime& today, int expire_days, int old_days) {
  int total = 0;
  Savepoint sp(db, "bay4CleanOldDatabase");
  db.AddParamText(":ds", DaysAgo(today, expire_days));
  db.ExecSQL("DELETE FROM words WHERE (dt < :ds)");
  total += db.GetLastChangedRows();
  db.AddParamText(":ds", DaysAgo(today, 3 * old_days));
  db.ExecSQL("DELETE FROM words WHERE (dt < :ds) AND (spamcount + nospamcount < 20)");
  total += db.GetLastChangedRows();
  db.AddParamText(":ds", DaysAgo(today, old_days));
  db.ExecSQL("DELETE FROM words WHERE (dt < :ds) AND (spamcount + nospamcount < 5)");
  total += db.GetLastChangedRows();
  return total;
}

int64_t CountWords(TSQLiteDatabase& db) { return db.GetTableValue("SELECT count(*) FROM words"); }

bool AddOrConfirm(TSQLiteDatabase& db, int kind, const std::string& address,
                  const LocalDateTime& today) {
  const std::string m = Lower(address);
  if (m.empty()) return false;
  // Another process may add the same address between the look-up and the
  // insert: holding the write lock across both keeps the entry unique.
  std::optional<WriteLock> lock;
  if (!db.InTransaction()) lock.emplace(db);
  db.AddParamText(":m", m);
  db.AddParamInt(":kind", kind);
  auto t = db.GetTable("SELECT key FROM white WHERE mail=:m AND kind=:kind LIMIT 1");
  if (t->Eof()) {
    t.reset();
    db.AddParamInt(":kind", kind);
    db.AddParamText(":m", m);
    db.AddParamText(":dt", DateNumber(today));
    db.ExecSQL("INSERT INTO white ( kind, mail, dt ) VALUES (:kind, :m, :dt)");
    return true;
  }
  const int64_t key = t->FieldAsInteger("key");
  t.reset();
  db.AddParamText(":dt", DateNumber(today));
  db.AddParamInt(":k", key);
  db.ExecSQL("UPDATE white SET dt=:dt WHERE key=:k");
  return false;
}

void RemoveListed(TSQLiteDatabase& db, int kind, const std::string& address) {
  const std::string m = Lower(address);
  if (m.empty()) return;
  db.AddParamText(":m", m);
  db.AddParamInt(":kind", kind);
  db.ExecSQL("DELETE FROM white WHERE mail=:m AND kind=:kind");
}

bool IsListed(TSQLiteDatabase& db, int kind, const std::string& address) {
  const std::string m = Lower(address);
  if (m.empty()) return false;
  db.AddParamText(":m", m);
  db.AddParamInt(":kind", kind);
  return db.GetTableValue("SELECT COUNT(*) FROM white WHERE mail=:m AND kind=:kind LIMIT 1") > 0;
}

int CleanList(TSQLiteDatabase& db, const LocalDateTime& today, int white_old_days) {
  db.AddParamText(":dt", DaysAgo(today, white_old_days));
  db.ExecSQL("DELETE FROM white WHERE (dt < :dt)");
  return db.GetLastChangedRows();
}

int64_t CountList(TSQLiteDatabase& db) { return db.GetTableValue("SELECT count(*) FROM white"); }

}  // namespace chaffguard
