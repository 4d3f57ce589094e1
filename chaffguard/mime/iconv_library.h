// The iconv library, loaded at run time.
//
// Purpose: gives the charset converter the four functions of an iconv library
// without linking against one, so the plug-in runs whether or not the library
// is installed.
//
// SystemIconv() loads the library on its first call, once per process, under a
// lock; later calls return the same result. The library stays loaded until the
// process (or the plug-in) is unloaded.
//   Windows: the first of "libiconv-2.dll", "libiconv.dll", "iconv.dll" found in
//            the directory of the module holding this code, else on the DLL
//            search path; functions libiconv_open, libiconv, libiconv_close and
//            libiconvctl (the last one optional).
//   Other systems: libiconv ("libiconv.so.2", "libiconv.so") when present, with
//            the same function names; else the C library's iconv_open, iconv
//            and iconv_close (no control function).
// Diagnostics: none; nullptr means no library was found.
#pragma once

#include <cstddef>
#include <string>

namespace chaffguard::mime {

struct IconvFunctions {
  // Returns a converter handle or (void*)-1 when the pair of names is not supported.
  void* (*open)(const char* to_code, const char* from_code) = nullptr;
  // iconv(3): converts, advancing the buffers; returns (size_t)-1 with errno set on error.
  std::size_t (*convert)(void* cd, char** in, std::size_t* in_left, char** out,
                         std::size_t* out_left) = nullptr;
  int (*close)(void* cd) = nullptr;
  // libiconvctl; may be null.
  int (*control)(void* cd, int request, void* argument) = nullptr;
  // Where the functions came from, for the log ("libiconv-2.dll", "C library", ...).
  std::string origin;
};

// libiconvctl request that makes a converter drop invalid input.
inline constexpr int kIconvSetDiscardIlseq = 4;

const IconvFunctions* SystemIconv();

}  // namespace chaffguard::mime
