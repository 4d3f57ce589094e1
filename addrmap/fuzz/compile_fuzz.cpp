// Fuzz target: any bytes as an alias source. The alias file must come out
// as a header plus whole records, each with its terminating zeros, sorted,
// and no run file may be left behind.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "alias.h"

namespace {

std::string TempDir() {
  static std::string dir = [] {
    char tmpl[] = "/tmp/addrmap-fuzz-XXXXXX";
    return std::string(mkdtemp(tmpl));
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  std::FILE* source = fmemopen(const_cast<unsigned char*>(data), size, "rb");
  if (size == 0) source = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* messages = std::fopen("/dev/null", "w");
  if (!source || !out || !messages) std::abort();
  const std::string dir = TempDir();
  if (addrmap::CompileSource(source, out, messages) && !addrmap::SortAliasFile(out, messages, dir.c_str()))
    std::abort();
  std::fflush(out);
  long len = std::ftell(out);
  if (len < static_cast<long>(addrmap::kHeaderLen) || (len - addrmap::kHeaderLen) % addrmap::kRecordLen != 0)
    std::abort();
  std::string file(static_cast<std::size_t>(len), '\0');
  std::rewind(out);
  if (std::fread(file.data(), 1, file.size(), out) != file.size()) std::abort();
  const auto* p = reinterpret_cast<const unsigned char*>(file.data());
  for (std::size_t off = addrmap::kHeaderLen; off < file.size(); off += addrmap::kRecordLen) {
    if (p[off + 179] != 0 || p[off + 359] != 0) std::abort();
    if (off > addrmap::kHeaderLen && addrmap::CompareAliases(p + off - addrmap::kRecordLen, p + off) > 0)
      std::abort();
  }
  if (!std::filesystem::is_empty(dir)) std::abort();
  std::fclose(source);
  std::fclose(out);
  std::fclose(messages);
  return 0;
}
