// The folder of the module (plug-in DLL or program) this code is linked into,
// for loading libraries that ship beside it (Windows only).
//
//   OwnModuleDirectory()  the folder with a trailing backslash; empty when it
//                         cannot be found (paths up to 32767 characters)
#pragma once

#ifdef _WIN32
#include <string>

namespace chaffguard::mime {

std::wstring OwnModuleDirectory();

}  // namespace chaffguard::mime
#endif
