// Image attribute tokens of binary attachments.
//
// Purpose: a binary part that holds an image gives four tokens to the
// message's token list (counting mode): "it*" + the image library's format
// name (for example "JPEG"), "ib*" + bits per pixel, "iw*" + width and
// "ih*" + height, numbers in decimal. The part walk calls this through its
// image hook (MimeWalkOptions::image_tokens) with the part's decoded bytes.
//
//   ImageDecoder          what the tokens need from an image library: the
//                         format and size of the image in a byte buffer, the
//                         type taken from the data's signature, else from the
//                         file name; nothing when the type is unknown or the
//                         image does not load. Tests give fakes.
//   FreeImageDecoder      ImageDecoder over the run-time loaded image library
//                         (freeimage_library.h). Formats that can be read
//                         header-only are: the pixels of an attachment are
//                         never decoded for them (JPEG, PNG, BMP, TIFF, ...);
//                         the others (GIF among them) are loaded whole.
//   SystemImageDecoder()  the decoder over SystemFreeImage(), made once per
//                         process; nullptr when the library is missing.
//   AddImageTokens(facts, tokens)            the four tokens of one image
//   AddImageTokensOf(decoder, data, name, tokens)  analyses and adds; nothing
//                         without a decoder, for empty data or an unknown or
//                         unloadable image
//   SystemImageTokens(data, name, tokens)    AddImageTokensOf with the system
//                         decoder: the part walk's default image hook
//
// Limits: data above 2^31 - 1 bytes is not analysed; a file name is used for
// the type only through its extension, at most kMaxImageExtension bytes.
// Diagnostics: none; failures of the library mean no tokens.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "freeimage_library.h"
#include "mwQuickAndDirtyHashStrings.h"

namespace chaffguard::image {

inline constexpr std::size_t kMaxImageExtension = 32;

struct ImageFacts {
  std::string format;           // the library's format name
  unsigned bits_per_pixel = 0;
  unsigned width = 0;
  unsigned height = 0;
};

class ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;
  virtual std::optional<ImageFacts> Analyse(std::string_view data, const std::string& file_name) const = 0;
};

class FreeImageDecoder final : public ImageDecoder {
 public:
  // `functions` must outlive the decoder.
  explicit FreeImageDecoder(const FreeImageFunctions& functions) : f_(functions) {}
  std::optional<ImageFacts> Analyse(std::string_view data, const std::string& file_name) const override;

 private:
  const FreeImageFunctions& f_;
};

const ImageDecoder* SystemImageDecoder();

void AddImageTokens(const ImageFacts& facts, mime::TmwQuickAndDirtyHashStrings& tokens);
void AddImageTokensOf(const ImageDecoder* decoder, const std::string& data, const std::string& file_name,
                      mime::TmwQuickAndDirtyHashStrings& tokens);
void SystemImageTokens(const std::string& data, const std::string& file_name,
                       mime::TmwQuickAndDirtyHashStrings& tokens);

}  // namespace chaffguard::image
