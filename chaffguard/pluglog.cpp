#include "pluglog.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "cgtext.h"
#include "inifile.h"

namespace chaffguard {

int WeekNumber(const LocalDateTime& t) {
  return (DayOfYear0(t.year, t.month, t.day) + DayOfWeekMonday1(t.year, 1, 1) - 1) / 7;
}

std::string LogFileName(const std::string& pattern, const LocalDateTime& t) {
  auto two = [](int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", ((v % 100) + 100) % 100);
    return std::string(b);
  };
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '~' && i + 1 < pattern.size()) {
      char c = pattern[i + 1];
      if (c == 'Y') { out += two(t.year); ++i; continue; }
      if (c == 'M') { out += two(t.month); ++i; continue; }
      if (c == 'D') { out += two(t.day); ++i; continue; }
      if (c == 'W') { out += two(WeekNumber(t)); ++i; continue; }
    }
    out += pattern[i];
  }
  return out;
}

std::string LogLine(char type, const LocalDateTime& t, const std::string& job_id,
                    const std::string& message) {
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d %02d%02d%02d.%03d", t.year % 10000,
                t.month % 100, t.day % 100, t.hour % 100, t.minute % 100, t.second % 100,
                t.ms % 1000);
  std::string line(1, type);
  line += ' ';
  line += stamp;
  line += ' ';
  line += job_id;
  line += ' ';
  line += message;
  line += "\r\n";
  return line;
}

void WriteLog(const std::string& log_file_pattern, char type, const std::string& job_id,
              const std::string& message) noexcept {
  try {
    const LocalDateTime t = Now();
    const std::string name = LogFileName(log_file_pattern, t);
    if (name.empty()) return;
    const std::string line = LogLine(type, t, job_id, message);
#ifdef _WIN32
    // Append-only access makes each write land at the end of the file as a
    // whole, also while another process appends to the same log; the C
    // run-time's "a" mode seeks and then writes, and loses lines then.
    HANDLE h = CreateFileA(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD put = 0;
    WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
    CloseHandle(h);
#else
    // O_APPEND: each write lands at the end as a whole.
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t put = write(fd, line.data(), line.size());  // nowhere to report
    close(fd);
#endif
  } catch (...) {
  }
}

std::optional<LocalDateTime> FlagsFile::Read(const char* key) const {
  TIniFile ini;
  ini.Load(JoinPath(data_dir_, kName));
  if (!ini.HasKey("flags", key)) return std::nullopt;
  return ParseDateTime(ini.ReadString("flags", key, ""));
}

void FlagsFile::Write(const char* key, const LocalDateTime& value) const {
  const std::string path = JoinPath(data_dir_, kName);
  TIniFile ini;
  ini.Load(path);
  ini.WriteString("flags", key, FormatDateTime(value));
  ini.Save(path);
}

}  // namespace chaffguard
