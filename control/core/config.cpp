#include "config.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

#include "fileio.h"
#include "ini.h"
#include "messagebox.h"
#include "text.h"
#include "translate.h"

namespace control {

namespace {

enum class Kind { kString, kBool, kInt, kList };

struct Entry {
  const char* section;
  const char* key;
  Kind kind;
  void* (*field)(tConfig&);
};

#define F(expr) [](tConfig& c) -> void* { return &(c.expr); }

// Every key in the order it is written.
const Entry kEntries[] = {
    {"Common", "Edition", Kind::kString, F(Edition)},
    {"Common", "Editor", Kind::kString, F(EditorApp)},
    {"Common", "Browser", Kind::kString, F(BrowserApp)},
    {"Common", "Debug", Kind::kBool, F(ShowDebug)},
    {"Common", "Debuglevel", Kind::kInt, F(DebugLevel)},
    {"Common", "Language", Kind::kString, F(Language)},
    {"Common", "TomcatVisible", Kind::kBool, F(TomcatVisible)},
    {"Common", "Minimized", Kind::kBool, F(Minimized)},
    {"LogSettings", "Font", Kind::kString, F(LogSettings.Font)},
    {"LogSettings", "FontSize", Kind::kInt, F(LogSettings.FontSize)},
    {"WindowSettings", "Left", Kind::kInt, F(WindowSettings.Left)},
    {"WindowSettings", "Top", Kind::kInt, F(WindowSettings.Top)},
    {"WindowSettings", "Width", Kind::kInt, F(WindowSettings.Width)},
    {"WindowSettings", "Height", Kind::kInt, F(WindowSettings.Height)},
    {"Autostart", "Apache", Kind::kBool, F(ASApache)},
    {"Autostart", "MySQL", Kind::kBool, F(ASMySQL)},
    {"Autostart", "FileZilla", Kind::kBool, F(ASFileZilla)},
    {"Autostart", "Corvane", Kind::kBool, F(ASCorvane)},
    {"Autostart", "Tomcat", Kind::kBool, F(ASTomcat)},
    {"Checks", "CheckRuntimes", Kind::kBool, F(EnableChecks.Runtimes)},
    {"Checks", "CheckDefaultPorts", Kind::kBool, F(EnableChecks.CheckDefaultPorts)},
    {"ModuleNames", "Apache", Kind::kString, F(ModuleNames.Apache)},
    {"ModuleNames", "MySQL", Kind::kString, F(ModuleNames.MySQL)},
    {"ModuleNames", "FileZilla", Kind::kString, F(ModuleNames.FileZilla)},
    {"ModuleNames", "Corvane", Kind::kString, F(ModuleNames.Corvane)},
    {"ModuleNames", "Tomcat", Kind::kString, F(ModuleNames.Tomcat)},
    {"EnableModules", "Apache", Kind::kBool, F(EnableModules.Apache)},
    {"EnableModules", "MySQL", Kind::kBool, F(EnableModules.MySQL)},
    {"EnableModules", "FileZilla", Kind::kBool, F(EnableModules.FileZilla)},
    {"EnableModules", "Corvane", Kind::kBool, F(EnableModules.Corvane)},
    {"EnableModules", "Tomcat", Kind::kBool, F(EnableModules.Tomcat)},
    {"EnableServices", "Apache", Kind::kBool, F(EnableServices.Apache)},
    {"EnableServices", "MySQL", Kind::kBool, F(EnableServices.MySQL)},
    {"EnableServices", "FileZilla", Kind::kBool, F(EnableServices.FileZilla)},
    {"EnableServices", "Tomcat", Kind::kBool, F(EnableServices.Tomcat)},
    {"BinaryNames", "Apache", Kind::kString, F(BinaryNames.Apache)},
    {"BinaryNames", "MySQL", Kind::kString, F(BinaryNames.MySQL)},
    {"BinaryNames", "FileZilla", Kind::kString, F(BinaryNames.FileZilla)},
    {"BinaryNames", "FileZillaAdmin", Kind::kString, F(BinaryNames.FileZillaAdmin)},
    {"BinaryNames", "Corvane", Kind::kString, F(BinaryNames.Corvane)},
    {"BinaryNames", "Tomcat", Kind::kString, F(BinaryNames.Tomcat)},
    {"ServiceNames", "Apache", Kind::kString, F(ServiceNames.Apache)},
    {"ServiceNames", "MySQL", Kind::kString, F(ServiceNames.MySQL)},
    {"ServiceNames", "FileZilla", Kind::kString, F(ServiceNames.FileZilla)},
    {"ServiceNames", "Tomcat", Kind::kString, F(ServiceNames.Tomcat)},
    {"ServicePorts", "Apache", Kind::kInt, F(ServicePorts.Apache)},
    {"ServicePorts", "ApacheSSL", Kind::kInt, F(ServicePorts.ApacheSSL)},
    {"ServicePorts", "MySQL", Kind::kInt, F(ServicePorts.MySQL)},
    {"ServicePorts", "FileZilla", Kind::kInt, F(ServicePorts.FileZilla)},
    {"ServicePorts", "FileZillaAdmin", Kind::kInt, F(ServicePorts.FileZillaAdmin)},
    {"ServicePorts", "Corvane1", Kind::kInt, F(ServicePorts.Corvane1)},
    {"ServicePorts", "Corvane2", Kind::kInt, F(ServicePorts.Corvane2)},
    {"ServicePorts", "Corvane3", Kind::kInt, F(ServicePorts.Corvane3)},
    {"ServicePorts", "Corvane4", Kind::kInt, F(ServicePorts.Corvane4)},
    {"ServicePorts", "Corvane5", Kind::kInt, F(ServicePorts.Corvane5)},
    {"ServicePorts", "Corvane6", Kind::kInt, F(ServicePorts.Corvane6)},
    {"ServicePorts", "Corvane7", Kind::kInt, F(ServicePorts.Corvane7)},
    {"ServicePorts", "TomcatHTTP", Kind::kInt, F(ServicePorts.TomcatHTTP)},
    {"ServicePorts", "TomcatAJP", Kind::kInt, F(ServicePorts.TomcatAJP)},
    {"ServicePorts", "Tomcat", Kind::kInt, F(ServicePorts.Tomcat)},
    {"UserConfigs", "Apache", Kind::kList, F(UserConfig.Apache)},
    {"UserConfigs", "MySQL", Kind::kList, F(UserConfig.MySQL)},
    {"UserConfigs", "FileZilla", Kind::kList, F(UserConfig.FileZilla)},
    {"UserConfigs", "Corvane", Kind::kList, F(UserConfig.Corvane)},
    {"UserConfigs", "Tomcat", Kind::kList, F(UserConfig.Tomcat)},
    {"UserLogs", "Apache", Kind::kList, F(UserLogs.Apache)},
    {"UserLogs", "MySQL", Kind::kList, F(UserLogs.MySQL)},
    {"UserLogs", "FileZilla", Kind::kList, F(UserLogs.FileZilla)},
    {"UserLogs", "Corvane", Kind::kList, F(UserLogs.Corvane)},
    {"UserLogs", "Tomcat", Kind::kList, F(UserLogs.Tomcat)},
};

#undef F

// Decimal with an optional sign, or hexadecimal after "$" or "0x".
std::optional<int> ParseInt(std::string_view s) {
  bool neg = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    neg = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  long long v = 0;
  for (char ch : s) {
    int d;
    if (ch >= '0' && ch <= '9') d = ch - '0';
    else if (base == 16 && ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
    else if (base == 16 && ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
    else return std::nullopt;
    v = v * base + d;
    if (v > 0x100000000LL) return std::nullopt;
  }
  if (neg) v = -v;
  if (base == 16 && !neg && v > INT_MAX && v <= 0xFFFFFFFFLL) v -= 0x100000000LL;
  if (v < INT_MIN || v > INT_MAX) return std::nullopt;
  return static_cast<int>(v);
}

bool NeedsQuotes(const std::string& item) {
  if (item.empty()) return false;
  for (unsigned char ch : item) {
    if (ch <= ' ' || ch == '"' || ch == '|') return true;
  }
  return false;
}

enum class ReadResult { kOk, kMissing, kError };

ReadResult ReadWhole(const std::string& path, std::string& out, std::string& error) {
  std::FILE* f = OpenFile(path, "rb");
  if (!f) {
    if (errno == ENOENT) return ReadResult::kMissing;
    error = std::strerror(errno);
    return ReadResult::kError;
  }
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool failed = std::ferror(f) != 0;
  int err = errno;
  std::fclose(f);
  if (failed) {
    error = std::strerror(err);
    return ReadResult::kError;
  }
  return ReadResult::kOk;
}

void ReportError(IMessageBox& box, const std::string& text) { box.ShowError(_("Error") + ": " + text); }

}  // namespace

tConfig& Config() {
  static tConfig config;
  return config;
}

ProcessValues& Process() {
  static ProcessValues values;
  return values;
}

std::string SettingsPathFor(std::string_view exe_path) {
  std::string_view stem = exe_path.size() >= 3 ? exe_path.substr(0, exe_path.size() - 3) : std::string_view();
  return std::string(stem) + "ini";
}

std::string EncodeList(const StringList& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += '|';
    if (!NeedsQuotes(items[i])) {
      out += items[i];
      continue;
    }
    out += '"';
    for (char ch : items[i]) {
      if (ch == '"') out += '"';
      out += ch;
    }
    out += '"';
  }
  return out;
}

StringList DecodeList(std::string_view v) {
  StringList items;
  std::size_t p = 0;
  auto blank = [&](std::size_t i) { return i < v.size() && v[i] != '\0' && static_cast<unsigned char>(v[i]) <= ' '; };
  while (blank(p)) ++p;
  while (p < v.size() && v[p] != '\0') {
    std::string item;
    if (v[p] == '"') {
      ++p;
      while (p < v.size()) {
        if (v[p] == '"') {
          if (p + 1 < v.size() && v[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += v[p++];
      }
    } else {
      while (p < v.size() && static_cast<unsigned char>(v[p]) > ' ' && v[p] != '|') item += v[p++];
    }
    items.push_back(std::move(item));
    while (blank(p)) ++p;
    if (p < v.size() && v[p] == '|') {
      if (p + 1 >= v.size() || v[p + 1] == '\0') items.emplace_back();
      do ++p; while (blank(p));
    }
  }
  return items;
}

void LoadSettings(tConfig& cfg, const std::string& path, IMessageBox& box) {
  std::string bytes, error;
  ReadResult r = ReadWhole(path, bytes, error);
  if (r == ReadResult::kError) {
    ReportError(box, error);
    return;
  }
  const IniText ini(bytes);
  const tConfig defaults;
  tConfig& def = const_cast<tConfig&>(defaults);
  for (const Entry& e : kEntries) {
    std::optional<std::string> v = ini.Get(e.section, e.key);
    void* dst = e.field(cfg);
    const void* dflt = e.field(def);
    switch (e.kind) {
      case Kind::kString:
        *static_cast<std::string*>(dst) = v ? *v : *static_cast<const std::string*>(dflt);
        break;
      case Kind::kInt: {
        std::optional<int> n = v ? ParseInt(*v) : std::nullopt;
        *static_cast<int*>(dst) = n ? *n : *static_cast<const int*>(dflt);
        break;
      }
      case Kind::kBool: {
        std::optional<int> n = v ? ParseInt(*v) : std::nullopt;
        *static_cast<bool*>(dst) = n ? *n != 0 : *static_cast<const bool*>(dflt);
        break;
      }
      case Kind::kList:
        *static_cast<StringList*>(dst) = v ? DecodeList(*v) : StringList{};
        break;
    }
  }
}

void SaveSettings(const tConfig& cfg, const std::string& path, IMessageBox& box) {
  std::string bytes, error;
  if (ReadWhole(path, bytes, error) == ReadResult::kError) {
    ReportError(box, error);
    return;
  }
  IniText ini(bytes);
  tConfig& c = const_cast<tConfig&>(cfg);
  for (const Entry& e : kEntries) {
    const void* src = e.field(c);
    std::string value;
    switch (e.kind) {
      case Kind::kString: value = *static_cast<const std::string*>(src); break;
      case Kind::kInt: value = std::to_string(*static_cast<const int*>(src)); break;
      case Kind::kBool: value = *static_cast<const bool*>(src) ? "1" : "0"; break;
      case Kind::kList: value = EncodeList(*static_cast<const StringList*>(src)); break;
    }
    ini.Set(e.section, e.key, value);
  }
  const std::string out = ini.Text();
  std::FILE* f = OpenFile(path, "wb");
  if (!f) {
    ReportError(box, std::strerror(errno));
    return;
  }
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  int err = errno;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) ReportError(box, std::strerror(err ? err : EIO));
}

void StartSettings(const std::string& exe_path, const std::string& locale_dir, IMessageBox& box) {
  Process().SettingsPath = SettingsPathFor(exe_path);
  LoadSettings(Config(), Process().SettingsPath, box);
  Config().Language = GetLanguage();
  SaveSettings(Config(), Process().SettingsPath, box);
  UseLanguage(locale_dir, Config().Language);
}

}  // namespace control
