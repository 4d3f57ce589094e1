// SQLiteVfs: the file layer under the plug-in's database connections. It is
// the platform's own SQLite file layer with two changes for rollback journals;
// database files are only watched (see 2), every other file passes straight
// through.
//
//   JournalVfsName()  registers the layer once per process (thread-safe, again
//                     after the library was shut down and initialised anew)
//                     and answers its name for sqlite3_open_v2
//   UnregisterJournalVfs()  takes it out of SQLite's list again; called before
//                     the plug-in is unloaded, as SQLite's list would
//                     otherwise point into the unloaded module
//
// 1. A journal that exists already is opened without the create flag. SQLite
//    syncs the journal's folder after the first sync of every journal it
//    opened with that flag; a journal kept between transactions (journal mode
//    PERSIST) lies in the folder already, so the folder is synced only when the
//    journal is made anew.
// 2. Journal writes are held back while they continue one another and
//    written as one when anything else happens: another journal write
//    elsewhere in the file, any other journal operation (read, size, sync,
//    truncate, lock, close, ...), or a write, cut, sync, unlock, file control
//    or close of the journal's database file (the name without "-journal").
//    SQLite writes a journal record as three pieces (page number, page image,
//    checksum) and one record per changed page, so a transaction's records
//    reach the file in one write instead of three per page. Whatever SQLite
//    does to the database file, the journal bytes written before are in the
//    file first, so a process that dies leaves only states the plain layer
//    can leave too; with synchronous off nothing waits for a sync either.
//    At most 64 KiB are held per journal. A held-back write that fails is
//    reported by the call that tried it and stays held until it succeeds or
//    the journal is closed.
#pragma once

namespace chaffguard {

const char* JournalVfsName();
void UnregisterJournalVfs();

}  // namespace chaffguard
