// SQLiteWrap: a thin layer over the SQLite library.
//
//   TSQLiteDatabase   one connection plus a list of pending named parameters
//     open (constructor) throws ESQLiteException
//       "Failed to open database \"<file>\" : <SQLite's message>"
//     ExecSQL           prepare, bind the pending parameters that occur in the
//                       statement, clear the list, step once; must report done
//     GetTable          a TSQLiteTable positioned on the first row
//     GetTableValue     first column of the first row as 64-bit integer, 0 for none
//     GetLastChangedRows, BeginTransaction ("SAVEPOINT name" / "BEGIN [kind]"),
//     Commit ("RELEASE name" / "COMMIT"), SetTimeout, AddParamInt/Float/Text/Null
//   TSQLiteTable      a stepping cursor: Eof, Next, ColumnCount, FieldIndex,
//                     FieldAsInteger (by index or upper-cased column name)
//   ESQLiteException  every failure; texts:
//     "Error executing SQL" (prepare failed), "Could not prepare SQL statement"
//     (nothing to run), "Error executing SQL statement" (step not done),
//     "Could not retrieve data" (step failed while reading rows); each followed,
//     when the connection holds an error code, by
//     ".\r\nError [<code>]: <code text>.\r\n\"<statement>\": <SQLite's message>"
//     Field lookups: "Field not found in dataset: <name>",
//     "Field <name> Not found. Empty dataset".
//   SQLiteErrorText(code)  the code table, "Unknown SQLite Error Code \"<n>\"" otherwise
//
// Connections use the file layer of SQLiteVfs.h.
// The pending parameters are cleared after every statement, whether it ran or not.
// Prepared statements are kept per connection (up to kStatementCacheSize texts)
// and reused with fresh bindings: a statement run once per token is parsed once
// per connection. A text in use by an open table is prepared anew for a second
// user, so tables of the same text may be open at once.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace chaffguard {

class ESQLiteException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string SQLiteErrorText(int code);

struct TSQliteParam {
  enum Kind { kInteger, kReal, kText, kNull };
  std::string name;
  Kind kind = kNull;
  int64_t int_value = 0;
  double real_value = 0;
  std::string text_value;
};

class TSQLiteDatabase;

class TSQLiteTable {
 public:
  TSQLiteTable(TSQLiteDatabase& db, const std::string& sql);
  ~TSQLiteTable();
  TSQLiteTable(const TSQLiteTable&) = delete;
  TSQLiteTable& operator=(const TSQLiteTable&) = delete;

  bool Eof() const { return eof_; }
  void Next();
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  int Row() const { return row_; }
  int FieldIndex(const std::string& name) const;
  int64_t FieldAsInteger(int index) const;
  int64_t FieldAsInteger(const std::string& name) const { return FieldAsInteger(FieldIndex(name)); }

 private:
  TSQLiteDatabase& db_;
  std::string sql_;
  sqlite3_stmt* stmt_ = nullptr;
  bool cached_ = false;
  std::vector<std::string> columns_;
  bool eof_ = false;
  int row_ = 0;
};

class TSQLiteDatabase {
 public:
  explicit TSQLiteDatabase(const std::string& file_name);
  ~TSQLiteDatabase();
  TSQLiteDatabase(const TSQLiteDatabase&) = delete;
  TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

  void ExecSQL(const std::string& sql);
  std::unique_ptr<TSQLiteTable> GetTable(const std::string& sql);
  int64_t GetTableValue(const std::string& sql);
  int GetLastChangedRows() const;
  // True while a transaction or savepoint is open on this connection.
  bool InTransaction() const;
  void BeginTransaction(const std::string& name = "", const std::string& kind = "");
  void Commit(const std::string& name = "");
  void SetTimeout(int ms);

  void AddParamInt(const std::string& name, int64_t value);
  void AddParamFloat(const std::string& name, double value);
  void AddParamText(const std::string& name, const std::string& value);
  void AddParamNull(const std::string& name);

 private:
  friend class TSQLiteTable;
  friend struct StatementLease;
  static constexpr size_t kStatementCacheSize = 64;
  struct CachedStatement {
    sqlite3_stmt* stmt = nullptr;
    bool in_use = false;
  };
  // Prepares `sql` (or takes its kept statement) and binds the pending
  // parameters (the list is cleared whatever happens). Throws on failure.
  // `*cached` tells whether the statement belongs to the cache; either way it
  // goes back through Release.
  sqlite3_stmt* Prepare(const std::string& sql, bool* cached);
  void Release(const std::string& sql, sqlite3_stmt* stmt, bool cached);
  [[noreturn]] void RaiseError(const std::string& what, const std::string& sql) const;

  sqlite3* db_ = nullptr;
  std::vector<TSQliteParam> params_;
  std::vector<TSQliteParam> binding_;  // the list being bound (see Prepare)
  std::unordered_map<std::string, CachedStatement> statements_;
};

}  // namespace chaffguard
