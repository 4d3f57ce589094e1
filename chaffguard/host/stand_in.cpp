#include "stand_in.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host_ops.h"

#ifdef _WIN32
#include <windows.h>
#include <process.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace cg_host {

namespace {
using StartupFn = int16_t(CG_CDECL*)(void*);
using DaemonFn = int16_t(CG_CDECL*)(void*, void*, void*, const char*);
using ClosedownFn = int16_t(CG_CDECL*)(void);
using ConfigureFn = int16_t(CG_CDECL*)(void*, void*, const char*);

constexpr size_t kHostBlockBytes = 1024;  // more than either layout needs

struct Options {
  std::string base, plugin, instance, domain = "localhost", hostname = "mail.example.com";
  int major = 4, minor = 1;
  uint32_t flags = 0;
  bool have_from = false;
  std::string from;
  std::vector<std::string> to, messages;
};

const char kUsage[] =
    "usage: chaffguard-host --base DIR [--plugin PATH] [--instance NAME] [--host-version 4.1]\n"
    "       [--domain localhost] [--hostname NAME] [--flags N] --from ADDR --to ADDR\n"
    "       [--to ADDR ...] MESSAGE_FILE...\n";

std::string SelfDir() {
#ifdef _WIN32
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ".";
  return std::filesystem::path(path).parent_path().string();
#else
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : p.parent_path().string();
#endif
}

std::string DefaultPlugin() {
#ifdef _WIN32
  return Join(SelfDir(), "chaffguard.dll");
#else
  return Join(SelfDir(), "libchaffguard.so");
#endif
}

bool ParseVersion(const std::string& text, int* major, int* minor) {
  size_t dot = text.find('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 >= text.size()) return false;
  char* end = nullptr;
  long a = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + dot) return false;
  long b = std::strtol(text.c_str() + dot + 1, &end, 10);
  if (*end != '\0' || a < 0 || a > 255 || b < 0 || b > 255) return false;
  *major = static_cast<int>(a);
  *minor = static_cast<int>(b);
  return true;
}

// Returns an error message, empty when the options are complete.
std::string Parse(int argc, const char* const* argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string* dst) {
      if (i + 1 >= argc) return false;
      *dst = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--base") { if (!value(&o->base)) return "--base needs a directory"; }
    else if (a == "--plugin") { if (!value(&o->plugin)) return "--plugin needs a path"; }
    else if (a == "--instance") { if (!value(&o->instance)) return "--instance needs a name"; }
    else if (a == "--domain") { if (!value(&o->domain)) return "--domain needs a name"; }
    else if (a == "--hostname") { if (!value(&o->hostname)) return "--hostname needs a name"; }
    else if (a == "--host-version") {
      if (!value(&v) || !ParseVersion(v, &o->major, &o->minor))
        return "--host-version needs MAJOR.MINOR";
    } else if (a == "--flags") {
      char* end = nullptr;
      if (!value(&v) || v.empty()) return "--flags needs a number";
      unsigned long f = std::strtoul(v.c_str(), &end, 0);
      if (*end != '\0' || f > 0xFFFFFFFFul) return "--flags needs a number";
      o->flags = static_cast<uint32_t>(f);
    } else if (a == "--from") {
      if (!value(&o->from)) return "--from needs an address";
      o->have_from = true;
    } else if (a == "--to") {
      if (!value(&v)) return "--to needs an address";
      o->to.push_back(v);
    } else if (a.size() > 1 && a.rfind("--", 0) == 0) {
      return "unknown option " + a;
    } else {
      o->messages.push_back(a);
    }
  }
  if (o->base.empty()) return "--base is required";
  if (!o->have_from) return "--from is required";
  if (o->to.empty()) return "at least one --to is required";
  if (o->messages.empty()) return "at least one message file is required";
  return std::string();
}

struct Plugin {
#ifdef _WIN32
  HMODULE handle = nullptr;
  void* Sym(const char* name) { return reinterpret_cast<void*>(GetProcAddress(handle, name)); }
  ~Plugin() { if (handle) FreeLibrary(handle); }
  bool Load(const std::string& path) { handle = LoadLibraryA(path.c_str()); return handle != nullptr; }
  std::string Error() { return "error " + std::to_string(GetLastError()); }
#else
  void* handle = nullptr;
  void* Sym(const char* name) { return dlsym(handle, name); }
  ~Plugin() { if (handle) dlclose(handle); }
  bool Load(const std::string& path) { handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); return handle != nullptr; }
  std::string Error() { const char* e = dlerror(); return e ? e : "unknown error"; }
#endif
};

template <typename Fn>
Fn As(void* p) {
  Fn fn;
  std::memcpy(&fn, &p, sizeof fn);
  return fn;
}

long ProcessId() {
#ifdef _WIN32
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}
}  // namespace

int RunHost(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  Options o;
  const std::string problem = Parse(argc, argv, &o);
  if (!problem.empty()) {
    std::fprintf(err, "chaffguard-host: %s\n%s", problem.c_str(), kUsage);
    return 2;
  }
  std::error_code ec;
  for (const auto& m : o.messages) {
    if (!std::filesystem::is_regular_file(m, ec)) {
      std::fprintf(err, "chaffguard-host: message file not found: %s\n", m.c_str());
      return 4;
    }
  }
  HostSettings& h = HostConfig();
  h.base = o.base;
  h.domain = o.domain;
  h.hostname = o.hostname;
  h.queue = Join(o.base, "QUEUE");
  std::filesystem::create_directories(h.queue, ec);
  if (!std::filesystem::is_directory(h.queue, ec)) {
    std::fprintf(err, "chaffguard-host: cannot create the queue %s\n", h.queue.c_str());
    return 5;
  }

  const std::string plugin_path = o.plugin.empty() ? DefaultPlugin() : o.plugin;
  Plugin plugin;
  if (!plugin.Load(plugin_path)) {
    std::fprintf(err, "chaffguard-host: cannot load plug-in %s: %s\n", plugin_path.c_str(),
                 plugin.Error().c_str());
    return 3;
  }
  auto startup = As<StartupFn>(plugin.Sym("STARTUP"));
  auto daemon = As<DaemonFn>(plugin.Sym("DAEMON"));
  auto closedown = As<ClosedownFn>(plugin.Sym("CLOSEDOWN"));
  auto configure = As<ConfigureFn>(plugin.Sym("CONFIGURE"));
  const char* missing = !startup ? "STARTUP" : !daemon ? "DAEMON" : !closedown ? "CLOSEDOWN"
                        : !configure ? "CONFIGURE" : nullptr;
  if (missing) {
    std::fprintf(err, "chaffguard-host: plug-in %s lacks the export %s\n", plugin_path.c_str(),
                 missing);
    return 3;
  }

  std::vector<unsigned char> block(kHostBlockBytes, 0);
  FillBlock(block.data(), o.major, o.minor);
  const bool job_file = o.major > 4 || (o.major == 4 && o.minor >= 1);

  startup(block.data());
  static int counter = 0;
  int status = 0;
  for (const auto& m : o.messages) {
    Job job;
    job.id = "J" + std::to_string(ProcessId()) + "-" + std::to_string(++counter);
    job.flags = o.flags;
    job.sender = o.from;
    job.recipients = o.to;
    job.file_path = Join(h.queue, job.id + (job_file ? ".MSG" : ".QDF"));
    std::filesystem::copy_file(m, job.file_path, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
      std::fprintf(err, "chaffguard-host: cannot queue %s: %s\n", m.c_str(), ec.message().c_str());
      status = 5;
      break;
    }
    int16_t result = daemon(&job, block.data(), nullptr, o.instance.c_str());
    std::fprintf(out, "%s\t%d\t%s\n", m.c_str(), static_cast<int>(result), job.file_path.c_str());
    std::fflush(out);
  }
  closedown();
  return status;
}

}  // namespace cg_host
