#include "SQLiteWrap.h"

#include <sqlite3.h>

#include "SQLiteVfs.h"
#include "cgtext.h"

namespace chaffguard {

std::string SQLiteErrorText(int code) {
  static const char* const kTexts[] = {
      "Successful result",
      "SQL error or missing database",
      "An internal logic error in SQLite",
      "Access permission denied",
      "Callback routine requested an abort",
      "The database file is locked",
      "A table in the database is locked",
      "A malloc() failed",
      "Attempt to write a readonly database",
      "Operation terminated by sqlite3_interrupt()",
      "Some kind of disk I/O error occurred",
      "The database disk image is malformed",
      "(Internal Only) Table or record not found",
      "Insertion failed because database is full",
      "Unable to open the database file",
      "Database lock protocol error",
      "Database is empty",
      "The database schema changed",
      "Too much data for one row of a table",
      "Abort due to contraint violation",
      "Data type mismatch",
      "Library used incorrectly",
      "Uses OS features not supported on host",
      "Authorization denied",
      "Auxiliary database format error",
      "2nd parameter to sqlite3_bind out of range",
      "File opened that is not a database file",
  };
  if (code >= 0 && code < static_cast<int>(sizeof kTexts / sizeof kTexts[0])) return kTexts[code];
  if (code == 100) return "sqlite3_step() has another row ready";
  if (code == 101) return "sqlite3_step() has finished executing";
  return "Unknown SQLite Error Code \"" + std::to_string(code) + "\"";
}

// Gives a statement back to its connection when it goes out of scope.
struct StatementLease {
  TSQLiteDatabase& db;
  const std::string& sql;
  bool cached = false;
  sqlite3_stmt* stmt = db.Prepare(sql, &cached);
  ~StatementLease() { db.Release(sql, stmt, cached); }
};

TSQLiteDatabase::TSQLiteDatabase(const std::string& file_name) {
  int rc = sqlite3_open_v2(file_name.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                           JournalVfsName());
  if (rc != SQLITE_OK) {
    std::string msg = db_ ? sqlite3_errmsg(db_) : "";
    if (msg.empty()) msg = "Unknown error";
    sqlite3_close(db_);
    db_ = nullptr;
    throw ESQLiteException("Failed to open database \"" + file_name + "\" : " + msg);
  }
}

TSQLiteDatabase::~TSQLiteDatabase() {
  for (auto& entry : statements_) sqlite3_finalize(entry.second.stmt);
  if (db_) sqlite3_close_v2(db_);
}

void TSQLiteDatabase::RaiseError(const std::string& what, const std::string& sql) const {
  std::string msg = what;
  int code = db_ ? sqlite3_errcode(db_) : 0;
  if (code != SQLITE_OK) {
    msg += ".\r\nError [" + std::to_string(code) + "]: " + SQLiteErrorText(code) + ".\r\n\"" + sql +
           "\": " + sqlite3_errmsg(db_);
  }
  throw ESQLiteException(msg);
}

sqlite3_stmt* TSQLiteDatabase::Prepare(const std::string& sql, bool* cached) {
  // The pending list is cleared whatever happens next; both lists keep
  // their storage for the next statement.
  std::vector<TSQliteParam>& params = binding_;
  params.clear();
  params.swap(params_);
  sqlite3_stmt* stmt = nullptr;
  *cached = false;
  auto kept = statements_.find(sql);
  if (kept != statements_.end() && !kept->second.in_use) {
    stmt = kept->second.stmt;
    kept->second.in_use = true;
    *cached = true;
  } else {
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(stmt);
      RaiseError("Error executing SQL", sql);
    }
    if (!stmt) RaiseError("Could not prepare SQL statement", sql);
    if (kept == statements_.end() && statements_.size() < kStatementCacheSize) {
      statements_.emplace(sql, CachedStatement{stmt, true});
      *cached = true;
    }
  }
  int rc = SQLITE_OK;
  for (const auto& p : params) {
    int idx = sqlite3_bind_parameter_index(stmt, p.name.c_str());
    if (idx <= 0) continue;
    switch (p.kind) {
      case TSQliteParam::kInteger: rc = sqlite3_bind_int64(stmt, idx, p.int_value); break;
      case TSQliteParam::kReal: rc = sqlite3_bind_double(stmt, idx, p.real_value); break;
      case TSQliteParam::kText:
        rc = sqlite3_bind_text(stmt, idx, p.text_value.data(), static_cast<int>(p.text_value.size()),
                               SQLITE_TRANSIENT);
        break;
      case TSQliteParam::kNull: rc = sqlite3_bind_null(stmt, idx); break;
    }
    if (rc != SQLITE_OK) {
      Release(sql, stmt, *cached);
      RaiseError("Error executing SQL", sql);
    }
  }
  return stmt;
}

void TSQLiteDatabase::Release(const std::string& sql, sqlite3_stmt* stmt, bool cached) {
  if (!cached) {
    sqlite3_finalize(stmt);
    return;
  }
  // A kept statement is reset (ending its read of the database) and loses its
  // bindings, so the next user starts as with a freshly prepared one.
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  statements_[sql].in_use = false;
}

void TSQLiteDatabase::ExecSQL(const std::string& sql) {
  StatementLease lease{*this, sql};
  if (sqlite3_step(lease.stmt) != SQLITE_DONE) {
    // The statement's error becomes the connection's error once it is reset.
    sqlite3_reset(lease.stmt);
    RaiseError("Error executing SQL statement", sql);
  }
}

std::unique_ptr<TSQLiteTable> TSQLiteDatabase::GetTable(const std::string& sql) {
  return std::make_unique<TSQLiteTable>(*this, sql);
}

int64_t TSQLiteDatabase::GetTableValue(const std::string& sql) {
  TSQLiteTable t(*this, sql);
  if (t.Eof() || t.ColumnCount() == 0) return 0;
  return t.FieldAsInteger(0);
}

int TSQLiteDatabase::GetLastChangedRows() const { return sqlite3_changes(db_); }

bool TSQLiteDatabase::InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

void TSQLiteDatabase::BeginTransaction(const std::string& name, const std::string& kind) {
  if (!name.empty()) {
    ExecSQL("SAVEPOINT " + name);
  } else {
    ExecSQL(kind.empty() ? std::string("BEGIN") : "BEGIN " + kind);
  }
}

void TSQLiteDatabase::Commit(const std::string& name) {
  ExecSQL(name.empty() ? std::string("COMMIT") : "RELEASE " + name);
}

void TSQLiteDatabase::SetTimeout(int ms) { sqlite3_busy_timeout(db_, ms); }

void TSQLiteDatabase::AddParamInt(const std::string& name, int64_t value) {
  TSQliteParam p;
  p.name = name;
  p.kind = TSQliteParam::kInteger;
  p.int_value = value;
  params_.push_back(std::move(p));
}

void TSQLiteDatabase::AddParamFloat(const std::string& name, double value) {
  TSQliteParam p;
  p.name = name;
  p.kind = TSQliteParam::kReal;
  p.real_value = value;
  params_.push_back(std::move(p));
}

void TSQLiteDatabase::AddParamText(const std::string& name, const std::string& value) {
  TSQliteParam p;
  p.name = name;
  p.kind = TSQliteParam::kText;
  p.text_value = value;
  params_.push_back(std::move(p));
}

void TSQLiteDatabase::AddParamNull(const std::string& name) {
  TSQliteParam p;
  p.name = name;
  params_.push_back(std::move(p));
}

TSQLiteTable::TSQLiteTable(TSQLiteDatabase& db, const std::string& sql) : db_(db), sql_(sql) {
  stmt_ = db.Prepare(sql, &cached_);
  int n = sqlite3_column_count(stmt_);
  for (int i = 0; i < n; ++i) {
    const char* name = sqlite3_column_name(stmt_, i);
    columns_.push_back(Upper(name ? name : ""));
  }
  try {
    Next();
  } catch (...) {
    db_.Release(sql_, stmt_, cached_);
    throw;
  }
  row_ = 0;
}

TSQLiteTable::~TSQLiteTable() { db_.Release(sql_, stmt_, cached_); }

void TSQLiteTable::Next() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) {
    ++row_;
    return;
  }
  if (rc == SQLITE_DONE) {
    eof_ = true;
    return;
  }
  sqlite3_reset(stmt_);
  db_.RaiseError("Could not retrieve data", sql_);
}

int TSQLiteTable::FieldIndex(const std::string& name) const {
  if (eof_) throw ESQLiteException("Field " + name + " Not found. Empty dataset");
  const std::string up = Upper(name);
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i] == up) return static_cast<int>(i);
  throw ESQLiteException("Field not found in dataset: " + name);
}

int64_t TSQLiteTable::FieldAsInteger(int index) const {
  if (eof_ || index < 0 || index >= ColumnCount())
    throw ESQLiteException("Field " + std::to_string(index) + " Not found. Empty dataset");
  return sqlite3_column_int64(stmt_, index);
}

}  // namespace chaffguard
