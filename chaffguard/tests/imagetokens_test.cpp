// Image attribute tokens: the tokens of one image, the decoder over the image
// library's functions (with fake functions), the binding of those functions,
// and real images attached to a message.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BayPre.h"
#include "image_fixtures.h"
#include "imagetokens.h"
#include "mystrlist.h"
#include "transfer_codecs.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace chaffguard {
namespace {

using image::FreeImageFunctions;
using image::ImageFacts;

int CountOf(mime::TmwQuickAndDirtyHashStrings& tokens, const std::string& key) {
  const int i = tokens.IndexOf(key);
  return i < 0 ? 0 : tokens[i].Count;
}

std::vector<std::string> Lines(const std::string& text) {
  TMyStringList l;
  l.SetText(text);
  return l.lines;
}

TEST(ImageTokens, EachImageCountsFourPrefixedTokens) {
  mime::TmwQuickAndDirtyHashStrings tokens;
  image::AddImageTokens({"PNG", 24, 640, 480}, tokens);
  image::AddImageTokens({"JPEG", 24, 640, 20}, tokens);
  ASSERT_EQ(tokens.Count(), 6);
  const std::map<std::string, int> expected = {{"it*PNG", 1}, {"it*JPEG", 1}, {"ib*24", 2},
                                               {"iw*640", 2}, {"ih*480", 1}, {"ih*20", 1}};
  for (const auto& [key, count] : expected) EXPECT_EQ(CountOf(tokens, key), count) << key;
}

TEST(ImageTokens, NothingWithoutADecoderOrData) {
  mime::TmwQuickAndDirtyHashStrings tokens;
  image::AddImageTokensOf(nullptr, "GIF89a", "x.gif", tokens);
  EXPECT_EQ(tokens.Count(), 0);
}

// Fake library functions: format numbers as the real library has them
// (PNG 13, GIF 25), a byte buffer is "recognised" by its first byte.
struct FakeLibrary {
  int opened = 0, closed = 0, loaded = 0, unloaded = 0;
  int load_flags = -1;
  std::string name_asked;
  bool load_fails = false;
  bool header_only = true;
  unsigned char first = 0;
};
FakeLibrary g_fake;
int g_bitmap = 0;

void* FakeOpen(unsigned char* data, std::uint32_t size) {
  ++g_fake.opened;
  g_fake.first = size ? data[0] : 0;
  return &g_fake;
}
void FakeClose(void*) { ++g_fake.closed; }
int FakeTypeFromMemory(void*, int) { return g_fake.first == 'P' ? 13 : image::kUnknownFormat; }
int FakeTypeFromName(const char* name) {
  g_fake.name_asked = name;
  return std::string(name).ends_with(".gif") || std::string(name).ends_with(".GIF") ? 25 : image::kUnknownFormat;
}
const char* FakeFormatName(int f) { return f == 13 ? "PNG" : f == 25 ? "GIF" : nullptr; }
int FakeNoPixels(int) { return g_fake.header_only ? 1 : 0; }
void* FakeLoad(int, void*, int flags) {
  ++g_fake.loaded;
  g_fake.load_flags = flags;
  return g_fake.load_fails ? nullptr : &g_bitmap;
}
unsigned FakeBpp(void*) { return 8; }
unsigned FakeWidth(void*) { return 12; }
unsigned FakeHeight(void*) { return 34; }
void FakeUnload(void*) { ++g_fake.unloaded; }

FreeImageFunctions FakeFunctions() {
  FreeImageFunctions f;
  f.open_memory = FakeOpen;
  f.close_memory = FakeClose;
  f.type_from_memory = FakeTypeFromMemory;
  f.type_from_file_name = FakeTypeFromName;
  f.format_name = FakeFormatName;
  f.supports_no_pixels = FakeNoPixels;
  f.load_from_memory = FakeLoad;
  f.bits_per_pixel = FakeBpp;
  f.width = FakeWidth;
  f.height = FakeHeight;
  f.unload = FakeUnload;
  return f;
}

TEST(FreeImageDecoder, TypeFromSignatureElseFromTheFileNamesExtension) {
  struct Case {
    const char* data;
    std::string file_name;
    const char* format;  // nullptr: no facts
    const char* name_asked;
  };
  const Case cases[] = {
      {"P...", "x.gif", "PNG", ""},                     // the signature wins
      {"?...", "dir.x/picture.GIF", "GIF", "image.GIF"},  // extension only
      {"?...", "gif", "GIF", "image.gif"},              // a name without a dot is its own extension
      {"?...", "", nullptr, ""},
      {"?...", "x.txt", nullptr, "image.txt"},
      {"?...", "x." + std::string(image::kMaxImageExtension + 1, 'g') + ".gif", "GIF", "image.gif"},
      {"?...", "x." + std::string(image::kMaxImageExtension + 1, 'f'), nullptr, ""},  // too long to ask
  };
  const FreeImageFunctions f = FakeFunctions();
  const image::FreeImageDecoder decoder(f);
  for (const auto& c : cases) {
    g_fake = FakeLibrary{};
    const auto facts = decoder.Analyse(c.data, c.file_name);
    EXPECT_EQ(g_fake.name_asked, c.name_asked) << c.file_name;
    EXPECT_EQ(g_fake.opened, 1);
    EXPECT_EQ(g_fake.closed, 1);
    EXPECT_EQ(g_fake.unloaded, g_fake.loaded);
    if (c.format == nullptr) {
      EXPECT_FALSE(facts) << c.file_name;
      EXPECT_EQ(g_fake.loaded, 0);
    } else {
      ASSERT_TRUE(facts) << c.file_name;
      EXPECT_EQ(facts->format, c.format);
      EXPECT_EQ(facts->bits_per_pixel, 8u);
      EXPECT_EQ(facts->width, 12u);
      EXPECT_EQ(facts->height, 34u);
    }
  }
}

TEST(FreeImageDecoder, HeaderOnlyWhereTheFormatAllowsAndNothingWhenLoadingFails) {
  FreeImageFunctions f = FakeFunctions();
  const image::FreeImageDecoder decoder(f);
  g_fake = FakeLibrary{};
  EXPECT_TRUE(decoder.Analyse("P", ""));
  EXPECT_EQ(g_fake.load_flags, image::kLoadNoPixels);
  g_fake = FakeLibrary{};
  g_fake.header_only = false;
  EXPECT_TRUE(decoder.Analyse("P", ""));
  EXPECT_EQ(g_fake.load_flags, 0);
  g_fake = FakeLibrary{};
  g_fake.load_fails = true;
  EXPECT_FALSE(decoder.Analyse("P", ""));
  EXPECT_EQ(g_fake.closed, 1);
  EXPECT_EQ(g_fake.unloaded, 0);
  g_fake = FakeLibrary{};
  EXPECT_FALSE(decoder.Analyse("", "x.gif"));  // empty data never reaches the library
  EXPECT_EQ(g_fake.opened, 0);

  FreeImageFunctions old_library = FakeFunctions();
  old_library.supports_no_pixels = nullptr;
  const image::FreeImageDecoder old_decoder(old_library);
  g_fake = FakeLibrary{};
  EXPECT_TRUE(old_decoder.Analyse("P", ""));
  EXPECT_EQ(g_fake.load_flags, 0);
}

TEST(FreeImageBinding, PlainOrStdcallDecoratedNamesAndOnlyOneOptional) {
  const std::map<std::string, std::string> plain_to_decorated = {
      {"FreeImage_OpenMemory", "_FreeImage_OpenMemory@8"},
      {"FreeImage_CloseMemory", "_FreeImage_CloseMemory@4"},
      {"FreeImage_GetFileTypeFromMemory", "_FreeImage_GetFileTypeFromMemory@8"},
      {"FreeImage_GetFIFFromFilename", "_FreeImage_GetFIFFromFilename@4"},
      {"FreeImage_GetFormatFromFIF", "_FreeImage_GetFormatFromFIF@4"},
      {"FreeImage_LoadFromMemory", "_FreeImage_LoadFromMemory@12"},
      {"FreeImage_GetBPP", "_FreeImage_GetBPP@4"},
      {"FreeImage_GetWidth", "_FreeImage_GetWidth@4"},
      {"FreeImage_GetHeight", "_FreeImage_GetHeight@4"},
      {"FreeImage_Unload", "_FreeImage_Unload@4"},
      {"FreeImage_FIFSupportsNoPixels", "_FreeImage_FIFSupportsNoPixels@4"},
  };
  static int symbol = 0;
  struct Case {
    bool decorated;
    std::string missing;
    bool ok;
  };
  const Case cases[] = {{false, "", true},
                        {true, "", true},
                        {false, "FreeImage_FIFSupportsNoPixels", true},
                        {true, "FreeImage_Unload", false},
                        {false, "FreeImage_OpenMemory", false}};
  for (const auto& c : cases) {
    std::map<std::string, void*> exported;
    for (const auto& [plain, decorated] : plain_to_decorated)
      if (plain != c.missing) exported[c.decorated ? decorated : plain] = &symbol;
    FreeImageFunctions f;
    f.origin = "test";
    const bool ok = image::BindFreeImage(
        [&](const char* name) {
          const auto it = exported.find(name);
          return it == exported.end() ? nullptr : it->second;
        },
        f);
    EXPECT_EQ(ok, c.ok) << c.decorated << " " << c.missing;
    if (ok) {
      EXPECT_NE(f.unload, nullptr);
      EXPECT_EQ(f.supports_no_pixels == nullptr, !c.missing.empty());
      EXPECT_EQ(f.origin, "test");
    } else {
      EXPECT_EQ(f.open_memory, nullptr);  // left as it was
    }
  }
}

// Real images attached to a message, through the part walk's default hook.
std::string Attachment(const std::string& type, const std::string& body) {
  return "--B1\r\nContent-Type: " + type + "\r\nContent-Transfer-Encoding: base64\r\n\r\n" + body;
}

TEST(ImageAttachment, RealPngJpegAndGifGiveTheirTokensAndLoseTheirBodies) {
  const std::string msg = "Subject: pictures\r\nContent-Type: multipart/mixed; boundary=B1\r\n\r\n" +
                          Attachment("text/plain", "c2VlIGF0dGFjaGVk\r\n") +
                          Attachment("image/png; name=\"a.png\"", cg_test::kPngBase64) +
                          Attachment("application/octet-stream; name=\"photo.gif\"", cg_test::kJpegBase64) +
                          Attachment("image/gif", cg_test::kGifBase64) + "--B1--\r\n";
  auto lines = Lines(msg);
  mime::TmwQuickAndDirtyHashStrings tokens;
  DecodeMessage(lines, tokens, MimeWalkOptions{});
  TMyStringList out;
  out.lines = lines;
  EXPECT_EQ(out.Text(),
            "Subject: pictures\r\nContent-Type: multipart/mixed; boundary=B1\r\n\r\n"
            "--B1\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\nsee attached\r\n"
            "--B1\r\nContent-Type: image/png; name=\"a.png\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
            "--B1\r\nContent-Type: application/octet-stream; name=\"photo.gif\"\r\n"
            "Content-Transfer-Encoding: base64\r\n\r\n"
            "--B1\r\nContent-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\n\r\n--B1--\r\n");
#ifdef _WIN32
  // The Windows tests run without FreeImage.dll beside them: no image tokens.
  EXPECT_EQ(image::SystemImageDecoder(), nullptr);
  EXPECT_EQ(tokens.Count(), 0);
#else
  ASSERT_NE(image::SystemImageDecoder(), nullptr) << "the image library (libfreeimage.so.3) is missing";
  const std::map<std::string, int> expected = {{"it*PNG", 1}, {"ib*24", 2}, {"iw*7", 1}, {"ih*5", 1},
                                               {"it*JPEG", 1}, {"iw*9", 1}, {"ih*4", 1}, {"it*GIF", 1},
                                               {"ib*1", 1}, {"iw*3", 1}, {"ih*2", 1}};
  for (const auto& [key, count] : expected) EXPECT_EQ(CountOf(tokens, key), count) << key;
  EXPECT_EQ(tokens.Count(), static_cast<int>(expected.size()));
#endif
}

TEST(ImageAttachment, BrokenImageDataGivesNoTokens) {
  const std::string png = mime::DecodeBase64(cg_test::kPngBase64);
  const std::string jpeg = mime::DecodeBase64(cg_test::kJpegBase64);
  const std::string gif = mime::DecodeBase64(cg_test::kGifBase64);
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) % 251);
  struct Case {
    const char* what;
    std::string data;
    std::string file_name;
  };
  const Case cases[] = {
      {"noise named as png", noise, "x.png"},
      {"noise named as jpeg", noise, "x.jpg"},
      {"png signature only", png.substr(0, 8), "x.png"},
      {"png cut inside its header chunk", png.substr(0, 20), "x.png"},
      {"png header chunk with a bad checksum", png.substr(0, 29) + "\x00\x00\x00\x00" + png.substr(33), ""},
      {"jpeg cut before its frame header", jpeg.substr(0, 30), "x.jpg"},
      {"jpeg start marker and noise", jpeg.substr(0, 2) + noise, ""},
      {"gif cut inside its screen descriptor", gif.substr(0, 8), "x.gif"},
      {"gif with noise after the header", gif.substr(0, 13) + noise, "x.gif"},
  };
  for (const auto& c : cases) {
    mime::TmwQuickAndDirtyHashStrings tokens;
    image::SystemImageTokens(c.data, c.file_name, tokens);
    EXPECT_EQ(tokens.Count(), 0) << c.what;
  }
}

TEST(FreeImageLoader, AMissingLibraryFileLoadsNothing) {
  FreeImageFunctions f;
  EXPECT_FALSE(image::LoadFreeImageFrom((std::filesystem::temp_directory_path() / "no-such-dir" /
                                         "FreeImage.dll").string(),
                                        f));
  EXPECT_EQ(f.open_memory, nullptr);
}

#ifdef _WIN32
std::string TestProgramDir() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path().string();
}

TEST(FreeImageLoader, ADllLoadedByPathGivesTokensAndReleasesWhatItOpens) {
  // Beside the tests there is no FreeImage.dll, so the plug-in's own search finds none.
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(TestProgramDir()) / "FreeImage.dll"));
  EXPECT_EQ(image::SystemFreeImage(), nullptr);
  const std::string dll = (std::filesystem::path(TestProgramDir()) / "fake-freeimage" / "FreeImage.dll").string();
  FreeImageFunctions f;
  ASSERT_TRUE(image::LoadFreeImageFrom(dll, f)) << dll;
  EXPECT_EQ(f.origin, dll);
  const image::FreeImageDecoder decoder(f);
  mime::TmwQuickAndDirtyHashStrings tokens;
  image::AddImageTokensOf(&decoder, std::string("FAKEIMG") + '\x18' + '\x40' + '\x20', "", tokens);
  image::AddImageTokensOf(&decoder, "FAKEIMG", "x.png", tokens);  // too short to load
  image::AddImageTokensOf(&decoder, "NOTANIMAGE", "", tokens);
  ASSERT_EQ(tokens.Count(), 4);
  for (const char* key : {"it*FAKEIMG", "ib*24", "iw*64", "ih*32"}) EXPECT_EQ(CountOf(tokens, key), 1) << key;
  HMODULE lib = GetModuleHandleA(dll.c_str());
  ASSERT_NE(lib, nullptr);
  auto open_objects = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(lib, "FakeImageOpenObjects")));
  ASSERT_NE(open_objects, nullptr);
  EXPECT_EQ(open_objects(), 0);
}
#endif

}  // namespace
}  // namespace chaffguard
