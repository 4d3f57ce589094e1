// A stand-in image library for the Windows tests, built as FreeImage.dll in a
// folder of its own (not beside the tests, whose plug-in must find none). It
// knows one format, 7 "FAKEIMG", whose data starts with "FAKEIMG" followed by
// three bytes: bits per pixel, width, height. Memory streams and bitmaps are
// counted so a test can see that each is released.
#include <cstdint>
#include <cstring>

namespace {
struct Stream {
  const unsigned char* data;
  std::uint32_t size;
};
struct Bitmap {
  unsigned bpp, width, height;
};
int g_open = 0;
}  // namespace

#define FAKE_EXPORT extern "C" __declspec(dllexport)

FAKE_EXPORT void* FreeImage_OpenMemory(unsigned char* data, std::uint32_t size) {
  ++g_open;
  return new Stream{data, size};
}
FAKE_EXPORT void FreeImage_CloseMemory(void* stream) {
  --g_open;
  delete static_cast<Stream*>(stream);
}
FAKE_EXPORT int FreeImage_GetFileTypeFromMemory(void* stream, int) {
  const auto* s = static_cast<Stream*>(stream);
  return s->size >= 7 && std::memcmp(s->data, "FAKEIMG", 7) == 0 ? 7 : -1;
}
FAKE_EXPORT int FreeImage_GetFIFFromFilename(const char*) { return -1; }
FAKE_EXPORT const char* FreeImage_GetFormatFromFIF(int format) { return format == 7 ? "FAKEIMG" : nullptr; }
FAKE_EXPORT void* FreeImage_LoadFromMemory(int format, void* stream, int) {
  const auto* s = static_cast<Stream*>(stream);
  if (format != 7 || s->size < 10) return nullptr;
  ++g_open;
  return new Bitmap{s->data[7], s->data[8], s->data[9]};
}
FAKE_EXPORT unsigned FreeImage_GetBPP(void* b) { return static_cast<Bitmap*>(b)->bpp; }
FAKE_EXPORT unsigned FreeImage_GetWidth(void* b) { return static_cast<Bitmap*>(b)->width; }
FAKE_EXPORT unsigned FreeImage_GetHeight(void* b) { return static_cast<Bitmap*>(b)->height; }
FAKE_EXPORT void FreeImage_Unload(void* b) {
  --g_open;
  delete static_cast<Bitmap*>(b);
}
// Not part of the library: streams and bitmaps not yet released.
FAKE_EXPORT int FakeImageOpenObjects() { return g_open; }
