// Helpers for the chaffguard tests: a scratch directory and whole-file I/O.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace cg_test {

namespace fs = std::filesystem;

class ScratchDir {
 public:
  ScratchDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("cg-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const fs::path& path() const { return path_; }
  std::string Str() const { return path_.string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Lines of a file split at CR LF (the form the plug-in writes).
inline std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::string data = ReadFile(path), cur;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') {
      lines.push_back(cur);
      cur.clear();
      ++i;
    } else {
      cur += data[i];
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

// The plug-in log's lines ("T yyyymmdd hhnnss.zzz JOB text") as "<type><text>",
// date, time and job left out.
inline std::vector<std::string> PluginLogLines(const std::string& path) {
  std::vector<std::string> out;
  for (const auto& l : ReadLines(path)) {
    size_t p = 0;
    for (int i = 0; i < 4 && p != std::string::npos; ++i) p = l.find(' ', p + 1);
    if (!l.empty() && p != std::string::npos) out.push_back(l.substr(0, 1) + l.substr(p + 1));
  }
  return out;
}

// True when the plug-in log holds a line of this "<type><text>".
inline bool PluginLogged(const std::string& path, const std::string& type_and_text) {
  for (const auto& l : PluginLogLines(path))
    if (l == type_and_text) return true;
  return false;
}

}  // namespace cg_test
