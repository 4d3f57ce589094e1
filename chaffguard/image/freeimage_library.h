// The image library (FreeImage), loaded at run time.
//
// Purpose: gives the image token code the dozen library functions it needs
// without linking against the library, so the plug-in loads and classifies
// whether or not the library is there; without it there are no image tokens.
//
//   SystemFreeImage()      loads the library on its first call, once per
//                          process (thread-safe); later calls return the same
//                          result. The library stays loaded until the process
//                          (or the plug-in) is unloaded. nullptr: not found.
//     Windows: "FreeImage.dll" in the directory of the module holding this
//              code (the plug-in beside its DLL), nowhere else.
//     Other systems: "libfreeimage.so.3", else "libfreeimage.so", on the
//              library search path.
//   LoadFreeImageFrom(path, out) loads the library file `path` and fills
//                          `out`; false (and the library released) when the
//                          file is missing or lacks a required function. Not
//                          cached: a loaded library stays loaded.
//   BindFreeImage(lookup, out)  fills `out` through `lookup(name)` (the
//                          platform's symbol lookup); false when a required
//                          function is missing. Names are tried plain, then in
//                          the stdcall-decorated form of 32-bit Windows builds
//                          of the library ("_FreeImage_GetBPP@4").
//
// FreeImage_FIFSupportsNoPixels is optional (older libraries lack it).
// Diagnostics: none.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#if defined(_WIN32) && !defined(_WIN64)
#define CG_FREEIMAGE_CALL __stdcall
#else
#define CG_FREEIMAGE_CALL
#endif

namespace chaffguard::image {

// The library's format number for "unknown type".
inline constexpr int kUnknownFormat = -1;
// Load flag: read the header only (width, height, bits per pixel).
inline constexpr int kLoadNoPixels = 0x8000;

struct FreeImageFunctions {
  // Memory stream over caller-owned bytes (read only here).
  void*(CG_FREEIMAGE_CALL* open_memory)(unsigned char* data, std::uint32_t size) = nullptr;
  void(CG_FREEIMAGE_CALL* close_memory)(void* stream) = nullptr;
  // Format number from the stream's signature (size 0: as much as needed).
  int(CG_FREEIMAGE_CALL* type_from_memory)(void* stream, int size) = nullptr;
  // Format number from a file name's extension.
  int(CG_FREEIMAGE_CALL* type_from_file_name)(const char* name) = nullptr;
  // The format's name ("PNG", "JPEG", ...), or null.
  const char*(CG_FREEIMAGE_CALL* format_name)(int format) = nullptr;
  int(CG_FREEIMAGE_CALL* supports_no_pixels)(int format) = nullptr;  // may be null
  void*(CG_FREEIMAGE_CALL* load_from_memory)(int format, void* stream, int flags) = nullptr;
  unsigned(CG_FREEIMAGE_CALL* bits_per_pixel)(void* bitmap) = nullptr;
  unsigned(CG_FREEIMAGE_CALL* width)(void* bitmap) = nullptr;
  unsigned(CG_FREEIMAGE_CALL* height)(void* bitmap) = nullptr;
  void(CG_FREEIMAGE_CALL* unload)(void* bitmap) = nullptr;
  // Where the functions came from (the library's path), for messages.
  std::string origin;
};

const FreeImageFunctions* SystemFreeImage();
bool LoadFreeImageFrom(const std::string& path, FreeImageFunctions& out);
bool BindFreeImage(const std::function<void*(const char* name)>& lookup, FreeImageFunctions& out);

}  // namespace chaffguard::image
