#include "move.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "fileio.h"
#include "format.h"
#include "winfs.h"

namespace foldmend {

namespace {

// fgets with a 1024-byte buffer, trailing CR and LF removed.
bool read_ini_line(File& f, std::string& line) {
  char buf[1024];
  if (!std::fgets(buf, sizeof buf, f.get())) return false;
  line = buf;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return true;
}

bool is_key_line(const std::string& line) {
  return istarts_with(line, "Home mailbox location") && line.find('=') != std::string::npos;
}

std::uint64_t file_time(const std::string& p) {
  std::error_code ec;
  auto t = std::filesystem::last_write_time(p, ec);
  return ec ? 0 : static_cast<std::uint64_t>(t.time_since_epoch().count());
}

}  // namespace

bool read_mailbox_location(Context& ctx, const std::string& ini, std::string& location) {
  ctx.out.emit(0, "Attempting to read mailbox location from '%.40s'...\r\n", ini.c_str());
  File f;
  if (!f.open(ini, "rt")) {
    ctx.out.emit(0, "Could not open '%.60s'.\r\n", ini.c_str());
    return false;
  }
  std::string line;
  bool in_general = false;
  while (read_ini_line(f, line)) {
    if (!line.empty() && line[0] == '[') {
      in_general = istarts_with(line, "[GENERAL]");
      continue;
    }
    if (in_general && is_key_line(line)) {
      std::size_t v = line.find('=') + 1;
      while (v < line.size() && (line[v] == ' ' || line[v] == '\t')) ++v;
      location = line.substr(v);
      return true;
    }
  }
  return false;
}

int patch_settings(Context& ctx, const std::string& ini, const std::string& new_dir, const GetEnv& getenv_fn) {
  ctx.out.emit(0, "Patching user's VMAIL.INI settings file to use new location...\r\n");
  File in;
  if (!in.open(ini, "rt")) {
    ctx.out.emit(0, "#002 Could not open user's existing VMAIL.INI for patching.\r\n");
    return 0;
  }
  std::string temp = temp_path(ctx, getenv_fn);
  File out;
  if (!out.open(temp, "wb")) {
    ctx.out.emit(0, "#001 Could not create temporary file for INI patching.\r\n");
    return 0;
  }
  std::string line;
  bool in_general = false;
  while (read_ini_line(in, line)) {
    if (!line.empty() && line[0] == '[') {
      in_general = istarts_with(line, "[GENERAL]");
    } else if (in_general && is_key_line(line)) {
      std::size_t v = line.find('=') + 1;
      while (v < line.size() && (line[v] == ' ' || line[v] == '\t')) ++v;
      line = line.substr(0, v) + new_dir;
    }
    line += "\r\n";
    out.write(line.data(), line.size());
  }
  in.close();
  out.close();
  int ok = copy_file(ini, temp);
  fs_remove(temp);
  return ok;
}

int copy_file(const std::string& dst, const std::string& src) {
  std::uint64_t ds = 0, ss = 0;
  if (iequals(name_part(dst), name_part(src)) && fs_size(dst, ds) && fs_size(src, ss) && ds == ss &&
      file_time(dst) == file_time(src))
    return 0;
  File in, out;
  if (!in.open(src, "rb")) return 0;
  if (!out.open(dst, "wb")) return 0;
  std::vector<unsigned char> buf(20480);
  for (;;) {
    std::size_t n = in.read(buf.data(), buf.size());
    if (std::ferror(in.get())) return 0;
    if (out.write(buf.data(), n) != n) return 0;
    if (n < buf.size()) break;
  }
  return out.flush() ? 1 : 0;
}

void create_directory_path(const std::string& path) {
  std::size_t i = 0;
  if (path.size() >= 3 && path[1] == ':' && is_separator(path[2]) && path[2] != ':') {
    i = 3;
  } else if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
    // \\server\share\ stays as it is
    int parts = 0;
    i = 2;
    while (i < path.size() && parts < 2) {
      if (path[i] == '\\' || path[i] == '/') ++parts;
      ++i;
    }
  } else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    i = 1;
  }
  while (i <= path.size()) {
    std::size_t e = i;
    while (e < path.size() && path[e] != '\\' && path[e] != '/') ++e;
    if (e > i) fs_mkdir(path.substr(0, e));
    i = e + 1;
  }
}

int move_mailbox(Context& ctx, const std::string& src, const std::string& dst, const std::string* settings_dir,
                 bool patch, const GetEnv& getenv_fn) {
  if (!fs_is_dir(src)) {
    ctx.out.emit(2, "#003 MOVE: source directory does not exist.\r\n");
    return -1;
  }
  if (!fs_is_dir(dst)) {
    create_directory_path(dst);
    if (!fs_is_dir(dst)) {
      ctx.out.emit(2, "#004 MOVE: cannot create destination directory.\r\n");
      return -1;
    }
  }
  ctx.out.emit(0, "Moving mailbox from '%s' to '%s'...\r\n", src.c_str(), dst.c_str());
  MoveProgress* pr = ctx.quiet ? nullptr : ctx.progress;
  if (!ctx.quiet) {
    ctx.out.emit(0, "Preparing to move data...");
    if (pr) pr->open(src, dst);
  }
  std::vector<std::string> files;
  std::uint64_t total = 0;
  for (const auto& name : list_matches(join_path(src, "*.*"))) {
    if (iequals(name, "VMAIL.INI") || iequals(name, "HOMEBOX.VT")) continue;
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && iequals(name.substr(dot), ".CNM")) continue;
    files.push_back(name);
    std::uint64_t sz = 0;
    fs_size(join_path(src, name), sz);
    total += sz;
  }
  if (!ctx.quiet)
    ctx.out.emit(0, "\r\nMoving %d files, %dKB\r\n", static_cast<int>(files.size()), static_cast<int>(total / 1024));
  std::vector<std::string> copied;
  std::uint64_t done = 0;
  for (const auto& name : files) {
    if (pr) pr->current_file(name);
    if (!ctx.quiet) ctx.out.emit(0, "Moving '%s'...\r\n", name.c_str());
    if (!copy_file(join_path(dst, name), join_path(src, name))) {
      if (pr) pr->close();
      for (const auto& c : copied) fs_remove(join_path(dst, c));
      ctx.out.emit(2, "#004 MOVE: An error occurred copying '%.40s' - move aborted.\r\n", name.c_str());
      return -1;
    }
    std::uint64_t sz = 0;
    fs_size(join_path(src, name), sz);
    done += sz;
    if (pr) pr->gauge(done, total);
    copied.push_back(name);
  }
  if (pr) pr->current_file("*** Cleaning up...");
  if (!ctx.quiet) ctx.out.emit(0, "Cleaning up source directory...\r\n");
  for (const auto& c : copied) fs_remove(join_path(src, c));
  if (patch && settings_dir) {
    std::string ini;
    for (const std::string* d : {settings_dir, &src, &dst}) {
      std::string p = join_path(*d, "VMAIL.INI");
      if (fs_is_file(p)) {
        ini = p;
        break;
      }
    }
    if (!ini.empty())
      patch_settings(ctx, ini, dst, getenv_fn);
    else
      ctx.out.emit(0, "#005 Could not locate user's VMAIL.INI for patching.\r\n");
  }
  ctx.wait_ms(500);
  if (pr) pr->close();
  ctx.out.emit(0, "Mailbox successfully moved.\r\n");
  return 1;
}

}  // namespace foldmend
