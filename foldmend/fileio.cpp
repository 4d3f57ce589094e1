#include "fileio.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace foldmend {

namespace {
std::function<void()>& hook() {
  static std::function<void()> h;
  return h;
}
#ifndef _WIN32
unsigned long g_last_error = 0;
#endif
}  // namespace

void set_mutation_hook(std::function<void()> h) { hook() = std::move(h); }
void mutation_point() {
  if (hook()) hook()();
}

bool File::open(const std::string& path, const char* mode) {
  close();
  if (mode[0] == 'w' || mode[0] == 'a') mutation_point();
  f_ = std::fopen(resolve_case(path).c_str(), mode);
  return f_ != nullptr;
}

void File::close() {
  if (f_) std::fclose(f_);
  f_ = nullptr;
}

std::size_t File::read(void* buf, std::size_t n) { return f_ ? std::fread(buf, 1, n, f_) : 0; }
std::size_t File::write(const void* buf, std::size_t n) { return f_ ? std::fwrite(buf, 1, n, f_) : 0; }
bool File::flush() { return f_ && std::fflush(f_) == 0; }

bool File::append_range(File& from, std::uint64_t at, std::uint64_t n, std::vector<unsigned char>& buf) {
  if (!f_ || !from.f_) return false;
#if defined(__linux__)
  if (!flush()) return false;
  std::uint64_t pos = tell();
  off_t in_off = static_cast<off_t>(at), out_off = static_cast<off_t>(pos);
  std::uint64_t left = n;
  bool kernel = true;
  while (left > 0 && kernel) {
    ssize_t k = ::copy_file_range(fileno(from.f_), &in_off, fileno(f_), &out_off, left, 0);
    if (k > 0) {
      left -= static_cast<std::uint64_t>(k);
    } else if (k == 0) {
      seek(static_cast<std::uint64_t>(out_off));
      return false;  // the source ended early
    } else {
      kernel = false;  // not supported here: copy through the buffer
    }
  }
  if (!seek(static_cast<std::uint64_t>(out_off))) return false;
  at = static_cast<std::uint64_t>(in_off);
  n = left;
#endif
  if (n > 0 && !from.seek(at)) return false;
  while (n > 0) {
    std::size_t k = n < buf.size() ? static_cast<std::size_t>(n) : buf.size();
    if (from.read(buf.data(), k) != k || write(buf.data(), k) != k) return false;
    n -= k;
  }
  return true;
}

std::size_t File::read_at(std::uint64_t at, void* buf, std::size_t n) {
  if (!f_) return 0;
#ifdef _WIN32
  return seek(at) ? read(buf, n) : 0;
#else
  std::size_t done = 0;
  while (done < n) {
    ssize_t k = ::pread(fileno(f_), static_cast<char*>(buf) + done, n - done, static_cast<off_t>(at + done));
    if (k > 0) {
      done += static_cast<std::size_t>(k);
    } else if (k == 0 || errno != EINTR) {
      break;
    }
  }
  return done;
#endif
}

bool File::write_at(std::uint64_t at, const void* buf, std::size_t n) {
  if (!f_) return false;
#ifdef _WIN32
  return seek(at) && write(buf, n) == n;
#else
  std::size_t done = 0;
  while (done < n) {
    ssize_t k = ::pwrite(fileno(f_), static_cast<const char*>(buf) + done, n - done, static_cast<off_t>(at + done));
    if (k > 0) {
      done += static_cast<std::size_t>(k);
    } else if (k == 0 || errno != EINTR) {
      return false;
    }
  }
  return true;
#endif
}

bool File::copy_at(File& from, std::uint64_t at, std::uint64_t n, std::uint64_t to_at,
                   std::vector<unsigned char>& buf) {
  if (!f_ || !from.f_) return false;
#if defined(__linux__)
  off_t in_off = static_cast<off_t>(at), out_off = static_cast<off_t>(to_at);
  while (n > 0) {
    ssize_t k = ::copy_file_range(fileno(from.f_), &in_off, fileno(f_), &out_off, n, 0);
    if (k > 0) {
      n -= static_cast<std::uint64_t>(k);
    } else if (k == 0) {
      return false;  // the source ended early
    } else if (errno != EINTR) {
      break;  // not supported here: copy the rest through the buffer
    }
  }
  at = static_cast<std::uint64_t>(in_off);
  to_at = static_cast<std::uint64_t>(out_off);
#endif
  if (buf.empty()) buf.resize(1 << 16);
  while (n > 0) {
    std::size_t k = n < buf.size() ? static_cast<std::size_t>(n) : buf.size();
    if (from.read_at(at, buf.data(), k) != k || !write_at(to_at, buf.data(), k)) return false;
    at += k;
    to_at += k;
    n -= k;
  }
  return true;
}

bool File::seek(std::uint64_t pos) {
  if (!f_) return false;
#ifdef _WIN32
  return _fseeki64(f_, static_cast<long long>(pos), SEEK_SET) == 0;
#else
  return fseeko(f_, static_cast<off_t>(pos), SEEK_SET) == 0;
#endif
}

std::uint64_t File::tell() {
  if (!f_) return 0;
#ifdef _WIN32
  long long p = _ftelli64(f_);
#else
  off_t p = ftello(f_);
#endif
  return p < 0 ? 0 : static_cast<std::uint64_t>(p);
}

std::uint64_t File::size() {
  if (!f_) return 0;
  std::uint64_t here = tell();
#ifdef _WIN32
  _fseeki64(f_, 0, SEEK_END);
#else
  fseeko(f_, 0, SEEK_END);
#endif
  std::uint64_t end = tell();
  seek(here);
  return end;
}

bool ByteReader::fill() {
  base_ += len_;
  pos_ = len_ = 0;
  len_ = f_.read(buf_, sizeof buf_);
  return len_ > 0;
}

bool ByteReader::seek(std::uint64_t p) {
  if (p >= base_ && p <= base_ + len_) {
    pos_ = static_cast<std::size_t>(p - base_);
    return true;
  }
  if (!f_.seek(p)) return false;
  base_ = p;
  pos_ = len_ = 0;
  return true;
}

std::size_t ByteReader::read(void* dst, std::size_t n) {
  auto* out = static_cast<unsigned char*>(dst);
  std::size_t done = 0;
  while (done < n) {
    if (pos_ == len_ && !fill()) break;
    std::size_t k = std::min(n - done, len_ - pos_);
    std::memcpy(out + done, buf_ + pos_, k);
    pos_ += k;
    done += k;
  }
  return done;
}

bool ByteReader::skip_to(unsigned char c) {
  for (;;) {
    if (pos_ == len_ && !fill()) return false;
    const void* hit = std::memchr(buf_ + pos_, c, len_ - pos_);
    if (hit) {
      pos_ = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - buf_) + 1;
      return true;
    }
    pos_ = len_;
  }
}

bool fs_copy(const std::string& from, const std::string& to) {
  File in, out;
  if (!in.open(from, "rb") || !out.open(to, "wb")) return false;
  static thread_local unsigned char buf[65536];
  for (;;) {
    std::size_t n = in.read(buf, sizeof buf);
    if (n == 0) break;
    if (out.write(buf, n) != n) return false;
  }
  if (std::ferror(in.get())) return false;
  return out.flush();
}

#ifdef _WIN32

std::string resolve_case(const std::string& p) { return p; }  // the file system does it

bool fs_exists(const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool fs_is_file(const std::string& p) {
  DWORD a = GetFileAttributesA(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool fs_is_dir(const std::string& p) {
  DWORD a = GetFileAttributesA(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
bool fs_size(const std::string& p, std::uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(p.c_str(), GetFileExInfoStandard, &d)) return false;
  size = (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  return true;
}
bool fs_rename(const std::string& from, const std::string& to) {
  mutation_point();
  return MoveFileA(from.c_str(), to.c_str()) != 0;
}
bool fs_move(const std::string& from, const std::string& to) {
  mutation_point();
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED) != 0;
}
bool fs_remove(const std::string& p) {
  mutation_point();
  return DeleteFileA(p.c_str()) != 0;
}
bool fs_mkdir(const std::string& p) {
  mutation_point();
  return CreateDirectoryA(p.c_str(), nullptr) != 0;
}
unsigned long fs_last_error() { return GetLastError(); }
std::string fs_error_text(unsigned long code) {
  char buf[512] = {0};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                 sizeof buf - 1, nullptr);
  return buf;
}

#else

}  // namespace foldmend

#include <dirent.h>

namespace foldmend {

// Names compare without regard to case, as on Windows: a path whose last
// component exists only in another case names that entry.
std::string resolve_case(const std::string& p) {
  struct stat st;
  if (::stat(p.c_str(), &st) == 0) return p;
  std::size_t slash = p.rfind('/');
  std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
  std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
  if (name.empty()) return p;
  DIR* h = opendir(dir.c_str());
  if (!h) return p;
  std::string found;
  while (dirent* e = readdir(h)) {
    std::string n = e->d_name;
    if (n.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < n.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(n[i])) == std::tolower(static_cast<unsigned char>(name[i]));
    if (same) {
      found = n;
      break;
    }
  }
  closedir(h);
  if (found.empty()) return p;
  return slash == std::string::npos ? found : p.substr(0, slash + 1) + found;
}

bool fs_exists(const std::string& path) {
  std::string p = resolve_case(path);
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}
bool fs_is_file(const std::string& path) {
  std::string p = resolve_case(path);
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
bool fs_is_dir(const std::string& path) {
  std::string p = resolve_case(path);
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool fs_size(const std::string& path, std::uint64_t& size) {
  std::string p = resolve_case(path);
  struct stat st;
  if (::stat(p.c_str(), &st) != 0) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}
bool fs_rename(const std::string& from, const std::string& to) {
  mutation_point();
  if (fs_exists(to)) {
    g_last_error = EEXIST;
    return false;
  }
  if (std::rename(resolve_case(from).c_str(), to.c_str()) != 0) {
    g_last_error = static_cast<unsigned long>(errno);
    return false;
  }
  return true;
}
bool fs_move(const std::string& from, const std::string& to) {
  if (fs_rename(from, to)) return true;
  if (g_last_error != EXDEV) return false;
  std::error_code ec;
  mutation_point();
  if (!std::filesystem::copy_file(from, to, ec)) {
    g_last_error = static_cast<unsigned long>(ec.value());
    return false;
  }
  return fs_remove(from);
}
bool fs_remove(const std::string& p) {
  mutation_point();
  if (::unlink(resolve_case(p).c_str()) != 0) {
    g_last_error = static_cast<unsigned long>(errno);
    return false;
  }
  return true;
}
bool fs_mkdir(const std::string& p) {
  mutation_point();
  return ::mkdir(p.c_str(), 0777) == 0;
}
unsigned long fs_last_error() { return g_last_error; }
std::string fs_error_text(unsigned long code) { return std::strerror(static_cast<int>(code)); }

#endif

}  // namespace foldmend
