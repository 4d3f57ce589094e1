// The four entry points the mail server calls: undecorated C names, plain C
// calling convention, 16-bit results.
#include <sqlite3.h>

#include <cstdint>

#include "DAEMON.h"
#include "SQLiteVfs.h"
#include "hostif.h"

#ifdef _WIN32
#define CG_EXPORT __declspec(dllexport)
#else
#define CG_EXPORT __attribute__((visibility("default")))
#endif

namespace {
// Loading the library initialises SQLite; unloading shuts it down.
struct LibraryLifetime {
  LibraryLifetime() { sqlite3_initialize(); }
  ~LibraryLifetime() {
    chaffguard::UnregisterJournalVfs();
    sqlite3_shutdown();
  }
} g_library_lifetime;
}  // namespace

extern "C" {

CG_EXPORT int16_t CG_CDECL STARTUP(void* block) { return chaffguard::RunStartup(block); }

CG_EXPORT int16_t CG_CDECL DAEMON(void* job, void* block, void* reserved, const char* param) {
  (void)reserved;
  return chaffguard::RunDaemon(job, block, param);
}

CG_EXPORT int16_t CG_CDECL CLOSEDOWN(void) { return 0; }

CG_EXPORT int16_t CG_CDECL CONFIGURE(void* block, void* reserved, const char* param) {
  (void)reserved;
  return chaffguard::RunConfigure(block, param);
}

}  // extern "C"
