#include "translate.h"

#include <cstdint>
#include <optional>

#include "fileio.h"

namespace control {

namespace {

std::map<std::string, std::string, std::less<>>& Active() {
  static std::map<std::string, std::string, std::less<>> catalogue;
  return catalogue;
}

// .mo layout: offset 0 magic 0x950412de (in the file's byte order), 4 revision,
// 8 number of strings N, 12 offset of the id table, 16 offset of the text
// table; each table has N entries of (length, offset), strings NUL-ended.
class MoReader {
 public:
  explicit MoReader(std::string_view b) : b_(b) {}
  bool Init() {
    auto m = Raw(0);
    if (!m) return false;
    if (*m == 0x950412deu) swap_ = false;
    else if (*m == 0xde120495u) swap_ = true;
    else return false;
    return true;
  }
  std::optional<std::uint32_t> U32(std::size_t off) const {
    auto v = Raw(off);
    if (!v || !swap_) return v;
    std::uint32_t x = *v;
    return (x >> 24) | ((x >> 8) & 0xff00u) | ((x << 8) & 0xff0000u) | (x << 24);
  }
  std::optional<std::string_view> String(std::size_t table, std::uint32_t i) const {
    auto len = U32(table + std::size_t{i} * 8);
    auto off = U32(table + std::size_t{i} * 8 + 4);
    if (!len || !off) return std::nullopt;
    if (*off > b_.size() || *len > b_.size() - *off) return std::nullopt;
    return b_.substr(*off, *len);
  }

 private:
  std::optional<std::uint32_t> Raw(std::size_t off) const {
    if (off > b_.size() || b_.size() - off < 4) return std::nullopt;
    auto u = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(b_[off + k])); };
    return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
  }
  std::string_view b_;
  bool swap_ = false;
};

std::string_view FirstPart(std::string_view s) { return s.substr(0, s.find('\0')); }

}  // namespace

bool ParseMoCatalogue(std::string_view bytes, std::map<std::string, std::string, std::less<>>& out) {
  MoReader r(bytes);
  if (!r.Init()) return false;
  auto n = r.U32(8), ids = r.U32(12), texts = r.U32(16);
  if (!n || !ids || !texts) return false;
  if (*n > bytes.size() / 8) return false;
  std::map<std::string, std::string, std::less<>> result;
  for (std::uint32_t i = 0; i < *n; ++i) {
    auto id = r.String(*ids, i);
    auto text = r.String(*texts, i);
    if (!id || !text) return false;
    std::string_view key = FirstPart(*id);
    if (key.empty()) continue;  // the catalogue header
    result.emplace(std::string(key), std::string(FirstPart(*text)));
  }
  out = std::move(result);
  return true;
}

void SetCatalogue(std::map<std::string, std::string, std::less<>> catalogue) { Active() = std::move(catalogue); }

bool UseLanguage(const std::string& locale_dir, const std::string& lang) {
  Active().clear();
  if (lang.empty() || lang.find_first_of("/\\.") != std::string::npos) return false;
  std::string sep = (!locale_dir.empty() && (locale_dir.back() == '/' || locale_dir.back() == '\\')) ? "" : "/";
  std::string path = locale_dir + sep + lang + "/LC_MESSAGES/" + kTextDomain + ".mo";
  std::FILE* f = OpenFile(path, "rb");
  if (!f) return false;
  std::string bytes;
  char buf[65536];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0 && bytes.size() < (64u << 20)) bytes.append(buf, got);
  std::fclose(f);
  std::map<std::string, std::string, std::less<>> cat;
  if (!ParseMoCatalogue(bytes, cat)) return false;
  Active() = std::move(cat);
  return true;
}

std::string _(std::string_view id) {
  const auto& cat = Active();
  if (!cat.empty()) {
    auto it = cat.find(id);
    if (it != cat.end() && !it->second.empty()) return it->second;
  }
  return std::string(id);
}

}  // namespace control
