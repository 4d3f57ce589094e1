// bayes4 (database part): the words database "words4.db3" and the list
// database "white4.db3" in the data directory, their creation, connection
// settings, statements and cleaning rules.
//
//   CreateDatabases(dir)     creates each missing file with its schema
//   OpenWordsDb/OpenListDb   connection with busy timeout 10000 ms, the
//                            synchronous pragma of bayForcedWrites and, for the
//                            words database, "PRAGMA temp_store = MEMORY" and a
//                            journal kept between transactions (PERSIST, cut
//                            back to 1 MiB)
//   LookupToken, WriteTokenList, TouchTokenList, CleanNeutral, CleanOld, CountWords
//   AddOrConfirm, RemoveListed, IsListed, CleanList, CountList  (kind 0 white, 1 black)
//
// Dates are bound as "yyyymmdd" text of the local date. Every failure is an
// ESQLiteException (SQLiteWrap.h); an open savepoint is released on the way out.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SQLiteWrap.h"
#include "clock.h"

namespace chaffguard {

inline constexpr char kWordsDbName[] = "words4.db3";
inline constexpr char kListDbName[] = "white4.db3";
inline constexpr int kBusyTimeoutMs = 10000;
inline constexpr int64_t kHalveAbove = 1000000;

enum ListKind : int { kWhiteList = 0, kBlackList = 1 };

void CreateDatabases(const std::string& data_dir);
std::unique_ptr<TSQLiteDatabase> OpenWordsDb(const std::string& data_dir, bool forced_writes);
std::unique_ptr<TSQLiteDatabase> OpenListDb(const std::string& data_dir, bool forced_writes);

struct StoredToken {
  int64_t key = 0;
  int64_t spamcount = 0;
  int64_t nospamcount = 0;
};

// One entry of a token list as the words database sees it.
struct TokenRecord {
  std::string word;   // prefix + token text
  uint32_t hash = 0;  // the list's hash; writes run in hash order
  int64_t key = 0;    // database key, 0 when not stored
  int64_t spam = 0;
  int64_t nospam = 0;
};

std::optional<StoredToken> LookupToken(TSQLiteDatabase& db, const std::string& word);

// Keeps one read transaction ("BEGIN") open over a run of look-ups when none is
// open yet, so they share one lock of the file instead of taking and dropping
// it per statement; ends it ("COMMIT") with its scope, also on an error.
class ReadTransaction {
 public:
  explicit ReadTransaction(TSQLiteDatabase& db);
  ~ReadTransaction() noexcept(false);
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;

 private:
  TSQLiteDatabase& db_;
  bool own_ = false;
  int uncaught_;
};
void WriteTokenList(TSQLiteDatabase& db, std::vector<TokenRecord> items, const LocalDateTime& today);
void TouchTokenList(TSQLiteDatabase& db, const std::vector<TokenRecord>& items,
                    const LocalDateTime& today);
int CleanNeutral(TSQLiteDatabase& db, const LocalDateTime& today, int old_days);
int CleanOld(TSQLiteDatabase& db, const LocalDateTime& today, int expire_days, int old_days);
int64_t CountWords(TSQLiteDatabase& db);

bool AddOrConfirm(TSQLiteDatabase& db, int kind, const std::string& address,
                  const LocalDateTime& today);
void RemoveListed(TSQLiteDatabase& db, int kind, const std::string& address);
bool IsListed(TSQLiteDatabase& db, int kind, const std::string& address);
int CleanList(TSQLiteDatabase& db, const LocalDateTime& today, int white_old_days);
int64_t CountList(TSQLiteDatabase& db);

}  // namespace chaffguard
