// The program's platform: message box, usage text, starting a program, the
// tick count that seeds the generator, and the command line without the
// program name. Windows shows real message boxes; elsewhere the texts go to
// standard error (usage to standard output).
#pragma once

#include <cstdint>
#include <string>

#include "cli.h"

namespace foldmend {

Platform make_platform();
std::uint32_t tick_count();

}  // namespace foldmend
