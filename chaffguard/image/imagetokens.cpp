// Image attribute tokens: see imagetokens.h.
#include "imagetokens.h"

#include <cstdint>
#include <limits>
#include <memory>

namespace chaffguard::image {
namespace {

// The part of a file name the library looks at for the type: its extension
// (or the whole name when it has no dot); empty when that is too long.
std::string TypeName(const std::string& file_name) {
  const auto dot = file_name.rfind('.');
  const std::string ext = dot == std::string::npos ? file_name : file_name.substr(dot + 1);
  if (ext.empty() || ext.size() > kMaxImageExtension) return {};
  return "image." + ext;
}

}  // namespace

std::optional<ImageFacts> FreeImageDecoder::Analyse(std::string_view data, const std::string& file_name) const {
  if (data.empty() || data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    return std::nullopt;
  // The stream only reads the bytes.
  auto* bytes = reinterpret_cast<unsigned char*>(const_cast<char*>(data.data()));
  void* stream = f_.open_memory(bytes, static_cast<std::uint32_t>(data.size()));
  if (stream == nullptr) return std::nullopt;
  std::optional<ImageFacts> facts;
  int format = f_.type_from_memory(stream, 0);
  if (format == kUnknownFormat) {
    const std::string name = TypeName(file_name);
    if (!name.empty()) format = f_.type_from_file_name(name.c_str());
  }
  if (format != kUnknownFormat) {
    const int flags = f_.supports_no_pixels != nullptr && f_.supports_no_pixels(format) ? kLoadNoPixels : 0;
    void* bitmap = f_.load_from_memory(format, stream, flags);
    if (bitmap != nullptr) {
      ImageFacts r;
      const char* name = f_.format_name(format);
      r.format = name != nullptr ? name : "";
      r.bits_per_pixel = f_.bits_per_pixel(bitmap);
      r.width = f_.width(bitmap);
      r.height = f_.height(bitmap);
      f_.unload(bitmap);
      facts = std::move(r);
    }
  }
  f_.close_memory(stream);
  return facts;
}

const ImageDecoder* SystemImageDecoder() {
  // Made once; the library functions it uses live as long as the process.
  static const std::unique_ptr<const ImageDecoder> decoder = []() -> std::unique_ptr<const ImageDecoder> {
    const FreeImageFunctions* f = SystemFreeImage();
    if (f == nullptr) return nullptr;
    return std::make_unique<FreeImageDecoder>(*f);
  }();
  return decoder.get();
}

void AddImageTokens(const ImageFacts& facts, mime::TmwQuickAndDirtyHashStrings& tokens) {
  tokens.AddOccurrence("it*" + facts.format, true);
  tokens.AddOccurrence("ib*" + std::to_string(facts.bits_per_pixel), true);
  tokens.AddOccurrence("iw*" + std::to_string(facts.width), true);
  tokens.AddOccurrence("ih*" + std::to_string(facts.height), true);
}

void AddImageTokensOf(const ImageDecoder* decoder, const std::string& data, const std::string& file_name,
                      mime::TmwQuickAndDirtyHashStrings& tokens) {
  if (decoder == nullptr || data.empty()) return;
  if (const auto facts = decoder->Analyse(data, file_name)) AddImageTokens(*facts, tokens);
}

void SystemImageTokens(const std::string& data, const std::string& file_name,
                       mime::TmwQuickAndDirtyHashStrings& tokens) {
  AddImageTokensOf(SystemImageDecoder(), data, file_name, tokens);
}

}  // namespace chaffguard::image
