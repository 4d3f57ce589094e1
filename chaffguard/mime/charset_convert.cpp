#include "charset_convert.h"

#include <cstdint>
#include <optional>

#include "charset_builtin.h"
#include "charset_names.h"
#include "unicode_codecs.h"

namespace chaffguard::mime {
namespace {

constexpr std::string_view kPivot = "UCS-2BE";

void* const kInvalidHandle = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));

// Runs an open converter over the whole text. Does not rely on errno (a DLL may
// have its own): a call that makes no progress either gets more output room,
// when little was left, or skips one input byte.
std::string RunConverter(const IconvFunctions& lib, void* cd, std::string_view text) {
  constexpr std::size_t kMinRoom = 16;
  std::string out(text.size() * 2 + 64, '\0');
  std::size_t used = 0;
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  for (;;) {
    if (out.size() - used < kMinRoom) out.resize(out.size() * 2);
    const bool flushing = in_left == 0;  // a call without input ends any shift state
    char* out_ptr = out.data() + used;
    std::size_t out_left = out.size() - used;
    const std::size_t in_before = in_left;
    const std::size_t out_before = out_left;
    const std::size_t r = lib.convert(cd, flushing ? nullptr : &in, flushing ? nullptr : &in_left,
                                      &out_ptr, &out_left);
    if (out_left > out_before) out_left = out_before;  // a misbehaving library must not move us back
    used += out_before - out_left;
    if (in_left > in_before) in_left = in_before;
    const bool progressed = in_left != in_before || out_left != out_before;
    if (flushing) {
      if (r == static_cast<std::size_t>(-1) && out_left < kMinRoom) continue;
      break;
    }
    if (progressed) continue;
    if (r == static_cast<std::size_t>(-1) && out_left < kMinRoom) continue;  // room grows above
    ++in;  // input the converter neither takes nor skips: drop one byte
    --in_left;
  }
  out.resize(used);
  return out;
}

std::optional<std::string> LibraryStep(const IconvFunctions* lib, std::string_view text,
                                       const std::string& to_code, const std::string& from_code) {
  if (lib == nullptr || lib->open == nullptr) return std::nullopt;
  void* cd = lib->open(to_code.c_str(), from_code.c_str());
  if (cd == kInvalidHandle || cd == nullptr) return std::nullopt;
  if (lib->control != nullptr) {
    int on = 1;
    lib->control(cd, kIconvSetDiscardIlseq, &on);
  }
  std::string result = RunConverter(*lib, cd, text);
  lib->close(cd);
  return result;
}

std::u32string BasicPlaneOnly(std::u32string cps) {
  std::erase_if(cps, [](char32_t c) { return c > 0xFFFF; });
  return cps;
}

}  // namespace

std::string ConvertCharsetWith(const IconvFunctions* library, std::string_view text,
                               std::string_view from_charset, std::string_view to_charset) {
  const CharsetId from = ResolveCharset(from_charset);
  const CharsetId to = ResolveCharset(to_charset);
  if (from == to) return std::string(text);

  const std::string from_name(CanonicalCharsetName(from));
  const std::string to_name(CanonicalCharsetName(to));

  std::optional<std::string> pivot =
      LibraryStep(library, text, std::string(kPivot) + "//IGNORE", from_name);
  if (!pivot) {
    pivot = EncodeUnicode(UnicodeForm::kUcs2Be, BasicPlaneOnly(BuiltinDecode(from, text)));
  }
  std::optional<std::string> result =
      LibraryStep(library, *pivot, to_name + "//IGNORE//TRANSLIT", std::string(kPivot));
  if (!result) {
    result = BuiltinEncode(to, DecodeUnicode(UnicodeForm::kUcs2Be, *pivot));
  }
  return std::move(*result);
}

std::string ConvertCharset(std::string_view text, std::string_view from_charset,
                           std::string_view to_charset, ConverterChoice choice) {
  const IconvFunctions* library =
      choice == ConverterChoice::kLibraryFirst ? SystemIconv() : nullptr;
  return ConvertCharsetWith(library, text, from_charset, to_charset);
}

}  // namespace chaffguard::mime
