#include "fileio.h"

#include <filesystem>
#include <system_error>

namespace control {

namespace {
std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
  std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(PathOf(path).c_str(), wmode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(PathOf(path), ec);
}

}  // namespace control
