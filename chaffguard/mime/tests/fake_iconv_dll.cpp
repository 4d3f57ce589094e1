// A stand-in iconv DLL for the Windows tests, built as libiconv-2.dll beside the
// test program so that the run-time loader finds it in the module's directory.
// It opens one converter only, ("UCS-2BE//IGNORE", "X-CHAFFGUARD-TEST"), which
// copies its input; every real charset pair fails to open, so conversions in
// the tests fall back to the built-in tables.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {
int g_handle = 0;
}

extern "C" __declspec(dllexport) void* libiconv_open(const char* to_code, const char* from_code) {
  if (std::strcmp(to_code, "UCS-2BE//IGNORE") == 0 &&
      std::strcmp(from_code, "X-CHAFFGUARD-TEST") == 0) {
    return &g_handle;
  }
  return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
}

extern "C" __declspec(dllexport) std::size_t libiconv(void*, char** in, std::size_t* in_left,
                                                      char** out, std::size_t* out_left) {
  if (in == nullptr || *in == nullptr) return 0;
  while (*in_left > 0) {
    if (*out_left == 0) return static_cast<std::size_t>(-1);
    **out = **in;
    ++*in, ++*out, --*in_left, --*out_left;
  }
  return 0;
}

extern "C" __declspec(dllexport) int libiconv_close(void*) { return 0; }

extern "C" __declspec(dllexport) int libiconvctl(void*, int, void*) { return 0; }
