// Helpers for the foldmend tests: a scratch directory and a context whose
// message output is recorded and whose waits are instant.
#pragma once

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "context.h"

namespace foldmend_test {

namespace fs = std::filesystem;

class ScratchDir {
 public:
  ScratchDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("fm-" + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string str() const { return path_.string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> List() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

struct Recorded {
  foldmend::Context ctx;
  std::string text;  // every emitted line, concatenated
  Recorded() {
    ctx.out.set_sink([this](int, const std::string& t) { text += t; });
    ctx.sleep = [](unsigned) {};
  }
};

}  // namespace foldmend_test
