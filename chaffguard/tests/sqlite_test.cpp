#include <gtest/gtest.h>

#include "SQLiteWrap.h"
#include "bayes4.h"
#include "cgtext.h"
#include "testutil.h"

namespace chaffguard {
namespace {

TEST(Databases, AreCreatedWithTheExactSchemaAndPragmas) {
  cg_test::ScratchDir dir;
  CreateDatabases(WithTrailingSep(dir.Str()));
  ASSERT_TRUE(std::filesystem::exists(dir.File("words4.db3")));
  ASSERT_TRUE(std::filesystem::exists(dir.File("white4.db3")));
  TSQLiteDatabase words(dir.File("words4.db3"));
  EXPECT_EQ(words.GetTableValue("SELECT count(*) FROM sqlite_master"), 2);
  EXPECT_EQ(words.GetTableValue("PRAGMA auto_vacuum"), 1);
  EXPECT_EQ(words.GetTableValue("PRAGMA page_size"), 4096);
  // The stored CREATE statements are the ones issued, byte for byte.
  words.AddParamText(":n", "words");
  auto t = words.GetTable("SELECT length(sql) AS l FROM sqlite_master WHERE name=:n");
  EXPECT_EQ(t->FieldAsInteger("L"),
            static_cast<int64_t>(std::string("CREATE TABLE words (key INTEGER PRIMARY KEY, word "
                                             "TEXT, spamcount INTEGER DEFAULT \"0\", nospamcount "
                                             "INTEGER DEFAULT \"0\",dt INTEGER DEFAULT \"0\",prob "
                                             "REAL DEFAULT \"0\")")
                                     .size()));
}

TEST(Databases, CreationLeavesExistingFilesAlone) {
  cg_test::ScratchDir dir;
  const std::string d = WithTrailingSep(dir.Str());
  CreateDatabases(d);
  {
    auto list = OpenListDb(d, true);
    EXPECT_TRUE(AddOrConfirm(*list, kWhiteList, "a@b.c", Now()));
  }
  CreateDatabases(d);
  auto list = OpenListDb(d, false);
  EXPECT_EQ(CountList(*list), 1);
}

TEST(SQLiteWrap, OpenFailureNamesTheFileAndTheReason) {
  cg_test::ScratchDir dir;
  const std::string bad = dir.File("missing-dir/x.db3");
  try {
    TSQLiteDatabase db(bad);
    FAIL() << "opened";
  } catch (const ESQLiteException& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Failed to open database \"" + bad + "\" : ", 0), 0u)
        << e.what();
  }
}

TEST(SQLiteWrap, StatementErrorsCarryCodeTextStatementAndMessage) {
  cg_test::ScratchDir dir;
  TSQLiteDatabase db(dir.File("t.db3"));
  try {
    db.ExecSQL("SELEKT 1");
    FAIL();
  } catch (const ESQLiteException& e) {
    EXPECT_EQ(std::string(e.what()),
              "Error executing SQL.\r\nError [1]: SQL error or missing database.\r\n\"SELEKT 1\": "
              "near \"SELEKT\": syntax error");
  }
  db.ExecSQL("CREATE TABLE t (a INTEGER UNIQUE)");
  db.ExecSQL("INSERT INTO t VALUES (1)");
  try {
    db.ExecSQL("INSERT INTO t VALUES (1)");
    FAIL();
  } catch (const ESQLiteException& e) {
    EXPECT_EQ(std::string(e.what()).rfind(
                  "Error executing SQL statement.\r\nError [19]: Abort due to contraint violation.\r\n"
                  "\"INSERT INTO t VALUES (1)\": ",
                  0),
              0u)
        << e.what();
  }
  try {
    db.ExecSQL("   ");
    FAIL();
  } catch (const ESQLiteException& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Could not prepare SQL statement", 0), 0u);
  }
}

TEST(SQLiteWrap, FieldLookupsAndPendingParameters) {
  cg_test::ScratchDir dir;
  TSQLiteDatabase db(dir.File("t.db3"));
  db.ExecSQL("CREATE TABLE t (a INTEGER, b TEXT)");
  db.AddParamInt(":a", 5);
  db.AddParamText(":b", "x");
  db.AddParamInt(":unused", 9);  // not in the statement: skipped
  db.ExecSQL("INSERT INTO t VALUES (:a, :b)");
  EXPECT_EQ(db.GetLastChangedRows(), 1);
  // The list was cleared: :a is unbound (NULL) now.
  db.ExecSQL("INSERT INTO t (a) VALUES (:a)");
  EXPECT_EQ(db.GetTableValue("SELECT count(*) FROM t WHERE a IS NULL"), 1);
  auto t = db.GetTable("SELECT a FROM t WHERE a=5");
  EXPECT_EQ(t->FieldAsInteger("a"), 5);
  EXPECT_THROW(t->FieldIndex("nope"), ESQLiteException);
  t->Next();
  EXPECT_TRUE(t->Eof());
  try {
    t->FieldIndex("a");
    FAIL();
  } catch (const ESQLiteException& e) {
    EXPECT_EQ(std::string(e.what()), "Field a Not found. Empty dataset");
  }
  EXPECT_EQ(db.GetTableValue("SELECT a FROM t WHERE a=99"), 0);
}

TEST(SQLiteWrap, CodeTableCoversKnownAndUnknownCodes) {
  EXPECT_EQ(SQLiteErrorText(5), "The database file is locked");
  EXPECT_EQ(SQLiteErrorText(26), "File opened that is not a database file");
  EXPECT_EQ(SQLiteErrorText(101), "sqlite3_step() has finished executing");
  EXPECT_EQ(SQLiteErrorText(27), "Unknown SQLite Error Code \"27\"");
}

TEST(SQLiteWrap, LockedDatabaseFailsWithCodeFiveAfterTheTimeout) {
  cg_test::ScratchDir dir;
  TSQLiteDatabase holder(dir.File("t.db3"));
  holder.ExecSQL("CREATE TABLE t (a INTEGER)");
  holder.BeginTransaction("", "EXCLUSIVE");
  TSQLiteDatabase other(dir.File("t.db3"));
  other.SetTimeout(50);
  try {
    other.ExecSQL("INSERT INTO t VALUES (1)");
    FAIL();
  } catch (const ESQLiteException& e) {
    EXPECT_NE(std::string(e.what()).find("Error [5]: The database file is locked."),
              std::string::npos)
        << e.what();
  }
  holder.Commit();
  other.ExecSQL("INSERT INTO t VALUES (1)");
}

TEST(SQLiteWrap, KeptStatementsStartFreshAtEveryUse) {
  cg_test::ScratchDir dir;
  TSQLiteDatabase db(dir.File("t.db3"));
  db.ExecSQL("CREATE TABLE t (a INTEGER, b TEXT)");
  const std::string insert = "INSERT INTO t VALUES (:a, :b)";
  db.AddParamInt(":a", 1);
  db.AddParamText(":b", "one");
  db.ExecSQL(insert);
  db.AddParamInt(":a", 2);  // :b not given again: bound to nothing, so NULL
  db.ExecSQL(insert);
  EXPECT_EQ(db.GetTableValue("SELECT count(*) FROM t WHERE b IS NULL"), 1);

  // Two open tables of one text each walk their own rows.
  const std::string select = "SELECT a FROM t WHERE a >= :min ORDER BY a";
  db.AddParamInt(":min", 1);
  auto first = db.GetTable(select);
  db.AddParamInt(":min", 2);
  auto second = db.GetTable(select);
  EXPECT_EQ(first->FieldAsInteger(0), 1);
  EXPECT_EQ(second->FieldAsInteger(0), 2);
  first->Next();
  EXPECT_EQ(first->FieldAsInteger(0), 2);
  second->Next();
  EXPECT_TRUE(second->Eof());
  second.reset();
  first.reset();

  // A statement that failed is usable again, and its error text is unchanged.
  db.ExecSQL("CREATE UNIQUE INDEX ia ON t (a)");
  db.AddParamInt(":a", 1);
  EXPECT_THROW(db.ExecSQL(insert), ESQLiteException);
  db.AddParamInt(":a", 3);
  db.AddParamText(":b", "three");
  db.ExecSQL(insert);
  EXPECT_EQ(db.GetTableValue("SELECT count(*) FROM t"), 3);

  // A table left open does not keep a transaction open once it is gone.
  {
    auto t = db.GetTable("SELECT a FROM t");
    EXPECT_FALSE(t->Eof());
  }
  TSQLiteDatabase other(dir.File("t.db3"));
  other.SetTimeout(0);
  other.ExecSQL("BEGIN EXCLUSIVE");
  other.ExecSQL("COMMIT");
}

TEST(TokenLookups, ShareOneReadTransactionAndEndIt) {
  cg_test::ScratchDir dir;
  const std::string d = WithTrailingSep(dir.Str());
  CreateDatabases(d);
  auto words = OpenWordsDb(d, false);
  {
    ReadTransaction snapshot(*words);
    EXPECT_TRUE(words->InTransaction());
    EXPECT_FALSE(LookupToken(*words, "Hello").has_value());
    {
      ReadTransaction inner(*words);  // inside an open transaction: no new one
    }
    EXPECT_TRUE(words->InTransaction());
  }
  EXPECT_FALSE(words->InTransaction());
  // After an error inside, the transaction is still ended.
  try {
    ReadTransaction snapshot(*words);
    words->ExecSQL("SELEKT");
  } catch (const ESQLiteException&) {
  }
  EXPECT_FALSE(words->InTransaction());
}

}  // namespace
}  // namespace chaffguard
