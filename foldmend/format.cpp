#include "format.h"

#include <cstdio>

namespace foldmend {

const char* const kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Record::id() const {
  std::size_t n = 0;
  while (n < kIdField && b[10 + n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(&b[10]), n);
}

void Record::set_id(const std::string& id) {
  std::memset(&b[10], 0, kIdField);
  std::memcpy(&b[10], id.data(), id.size() < 13 ? id.size() : 13);
}

std::string date_text(const StatedDate& d) {
  if (d.year == 0 || d.month == 0) return {};
  if (d.month < 1 || d.month > 12) return {};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d %s %d %d:%02d", d.day, kMonthNames[d.month - 1], d.year % 100, d.hour,
                d.minute);
  return std::string(buf).substr(0, 15);
}

std::int16_t zone_minutes(const StatedDate& d) {
  int z = d.zone * 30;
  return static_cast<std::int16_t>(z == 0 ? 1 : z);
}

std::int32_t date_key(const StatedDate& d) {
  long long k = static_cast<long long>(d.year - 90) * 535680 + static_cast<long long>(d.month - 1) * 44640 +
                static_cast<long long>(d.day) * 1440 + d.hour * 60 + d.minute + d.zone * 30;
  return static_cast<std::int32_t>(k);
}

bool is_separator(char c) { return c == '\\' || c == '/' || c == ':'; }

static std::size_t name_start(const std::string& p) {
  for (std::size_t i = p.size(); i > 0; --i)
    if (is_separator(p[i - 1])) return i;
  return 0;
}

std::string dir_part(const std::string& p) { return p.substr(0, name_start(p)); }
std::string name_part(const std::string& p) { return p.substr(name_start(p)); }

bool has_extension(const std::string& p) { return p.find('.', name_start(p)) != std::string::npos; }

std::string replace_extension(const std::string& p, const std::string& ext) {
  std::size_t dot = p.rfind('.');
  if (dot == std::string::npos || dot < name_start(p)) return p + ext;
  return p.substr(0, dot) + ext;
}

std::string with_master_extension(const std::string& p) { return has_extension(p) ? p : p + ".VTM"; }

std::string join_path(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '\\' || dir.back() == '/' || dir.back() == ':') return dir + name;
#ifdef _WIN32
  return dir + "\\" + name;
#else
  return dir + "/" + name;  // a backslash is an ordinary name character here
#endif
}

}  // namespace foldmend
