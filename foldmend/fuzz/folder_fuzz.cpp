// libFuzzer target: the input becomes a folder pair (the first two bytes say
// where the master ends and the index begins) in a scratch directory, and
// check, fix IDs, compaction and repair run over it in turn.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "check.h"
#include "compact.h"
#include "context.h"
#include "fixids.h"
#include "repair.h"

namespace {

std::string g_dir;

void write_file(const std::string& p, const std::uint8_t* d, std::size_t n) {
  std::FILE* f = std::fopen(p.c_str(), "wb");
  if (!f) return;
  if (n) std::fwrite(d, 1, n, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (g_dir.empty()) {
    g_dir = (std::filesystem::temp_directory_path() / ("fm-fuzz-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(g_dir);
  }
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(g_dir, ec)) std::filesystem::remove(e.path(), ec);
  if (size < 2) return 0;
  std::size_t split = (static_cast<std::size_t>(data[0]) | (static_cast<std::size_t>(data[1]) << 8));
  data += 2;
  size -= 2;
  if (split > size) split = size;
  std::string master = g_dir + "/F.VTM";
  write_file(master, data, split);
  write_file(g_dir + "/F.VTI", data + split, size - split);

  foldmend::Context ctx;
  ctx.sleep = [](unsigned) {};
  std::string line;
  std::string dir = g_dir;
  auto env = [&dir](const char* n) -> const char* { return std::string(n) == "TEMP" ? dir.c_str() : nullptr; };
  foldmend::check_folder(ctx, master, line);
  foldmend::fix_ids_folder(ctx, master);
  foldmend::compact_folder(ctx, master);
  foldmend::repair_folder(ctx, master, env);
  foldmend::check_folder(ctx, master, line);
  foldmend::fix_ids_folder(ctx, master);
  return 0;
}
