// SQLiteVfs: the file layer under the plug-in's database connections. It is
// the platform's own SQLite file layer with two changes for rollback journals;
// database files and every other file pass straight through.
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
// 2. A journal record (4-byte page number, page image, 4-byte checksum) reaches
//    the file in one write instead of three. Only the first one or two writes
//    of a record are ever held back, and only until the record's last write,
//    which comes next: SQLite writes nothing else between them, so the files
//    are never in a state in which a crash of the process could leave them
//    that the plain layer could not. Any other write, and every other
//    operation on the journal (read, size, sync, truncate, close, ...), first
//    writes what is held.
//
// Failures of a held-back write are reported by the call that writes it.
#pragma once

namespace chaffguard {

const char* JournalVfsName();
void UnregisterJournalVfs();

}  // namespace chaffguard
