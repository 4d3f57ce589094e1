// Helpers for the control-panel tests: a scratch directory, whole-file reads
// and writes, a recording message box.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "messagebox.h"

namespace control_test {

namespace fs = std::filesystem;

class ScratchDir {
 public:
  ScratchDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("octl-" + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
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

class RecordingMessageBox : public control::IMessageBox {
 public:
  void ShowError(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

}  // namespace control_test
