// Helpers for the addrmap tests: a scratch directory, whole-file reads and
// writes, and environment changes that are undone.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace addrmap_test {

namespace fs = std::filesystem;

class ScratchDir {
 public:
  ScratchDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("am-" + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> List() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
    return names;
  }

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

inline void SetEnv(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
  _putenv_s(name, value ? value->c_str() : "");
#else
  if (value) setenv(name, value->c_str(), 1); else unsetenv(name);
#endif
}

// Sets TMP and TEMP for the scope of one test and puts the old values back.
class TempEnv {
 public:
  TempEnv(std::optional<std::string> tmp, std::optional<std::string> temp) {
    for (const char* n : {"TMP", "TEMP"}) {
      const char* v = std::getenv(n);
      saved_.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    }
    SetEnv("TMP", tmp);
    SetEnv("TEMP", temp);
  }
  ~TempEnv() {
    SetEnv("TMP", saved_[0]);
    SetEnv("TEMP", saved_[1]);
  }

 private:
  std::vector<std::optional<std::string>> saved_;
};

}  // namespace addrmap_test
