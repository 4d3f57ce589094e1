// BindFreeImage(): the library's functions by name (see freeimage_library.h).
#include <string>

#include "freeimage_library.h"

namespace chaffguard::image {
namespace {

// Looks `name` up plain, then as "_" + name + "@" + argument bytes.
template <typename F>
bool Bind(const std::function<void*(const char*)>& lookup, const char* name, int argument_bytes,
          F& target) {
  void* p = lookup(name);
  if (p == nullptr) {
    const std::string decorated = "_" + std::string(name) + "@" + std::to_string(argument_bytes);
    p = lookup(decorated.c_str());
  }
  if (p == nullptr) return false;
  target = reinterpret_cast<F>(p);
  return true;
}

}  // namespace

bool BindFreeImage(const std::function<void*(const char* name)>& lookup, FreeImageFunctions& out) {
  FreeImageFunctions f;
  const bool ok = Bind(lookup, "FreeImage_OpenMemory", 8, f.open_memory) &&
                  Bind(lookup, "FreeImage_CloseMemory", 4, f.close_memory) &&
                  Bind(lookup, "FreeImage_GetFileTypeFromMemory", 8, f.type_from_memory) &&
                  Bind(lookup, "FreeImage_GetFIFFromFilename", 4, f.type_from_file_name) &&
                  Bind(lookup, "FreeImage_GetFormatFromFIF", 4, f.format_name) &&
                  Bind(lookup, "FreeImage_LoadFromMemory", 12, f.load_from_memory) &&
                  Bind(lookup, "FreeImage_GetBPP", 4, f.bits_per_pixel) &&
                  Bind(lookup, "FreeImage_GetWidth", 4, f.width) &&
                  Bind(lookup, "FreeImage_GetHeight", 4, f.height) &&
                  Bind(lookup, "FreeImage_Unload", 4, f.unload);
  if (!ok) return false;
  Bind(lookup, "FreeImage_FIFSupportsNoPixels", 4, f.supports_no_pixels);
  f.origin = out.origin;
  out = f;
  return true;
}

}  // namespace chaffguard::image
