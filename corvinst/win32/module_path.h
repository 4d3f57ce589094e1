// The full file name of the running program (GetModuleFileNameA), however
// long: the buffer grows until the name fits, so a long path is never
// silently cut. Empty when the name cannot be read.
#pragma once

#include <string>

namespace corvinst {

std::string OwnModulePath();

}  // namespace corvinst
