// chaffguard-host: loads the plug-in, fills the interface block and runs
// STARTUP, DAEMON once per message file, CLOSEDOWN.
//
//   chaffguard-host --base DIR [--plugin PATH] [--instance NAME]
//       [--host-version 4.1] [--domain localhost] [--hostname NAME] [--flags N]
//       --from ADDR --to ADDR [--to ADDR ...] MESSAGE_FILE...
//
// Each message is copied into DIR/QUEUE as a new job (<job ID>.QDF before host
// version 4.1, <job ID>.MSG handed out by JobFilePath from 4.1 on), and one
// line "<message file>\t<DAEMON result>\t<job file>" is printed.
// Exit codes: 0 done, 2 wrong arguments, 3 plug-in not loadable or lacking an
// export, 4 missing message file, 5 queue not writable.
#pragma once

#include <cstdio>

namespace cg_host {

int RunHost(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace cg_host
