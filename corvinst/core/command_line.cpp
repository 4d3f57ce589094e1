#include "core/command_line.h"

#include <algorithm>

namespace corvinst {

std::string InstallerDirectory(std::string_view module_path) {
  std::string path(module_path);
  std::replace(path.begin(), path.end(), '/', '\\');
  const std::size_t last = path.rfind('\\');
  if (last == std::string::npos) return std::string();
  // A drive root keeps its backslash: "C:" alone would name the current
  // directory of drive C, not its root.
  const bool drive_root = last > 0 && path[last - 1] == ':';
  path.resize(drive_root ? last + 1 : last);
  return path;
}

std::optional<std::string> BuildServiceCommandLine(std::string_view module_path,
                                                   bool desktop,
                                                   std::string_view arguments) {
  if (module_path.empty()) return std::nullopt;
  std::string line = InstallerDirectory(module_path);
  if (!line.empty()) {
    const char last = line.back();
    if (last != '\\' && last != '/' && last != ':') line += '\\';
  }
  line += kServerExecutable;
  line += desktop ? kDesktopServiceSwitch : kServiceSwitch;
  if (!arguments.empty()) {
    line += ' ';
    line += arguments;
  }
  if (line.size() > kMaxCommandLine) return std::nullopt;
  return line;
}

std::string_view ArgumentText(std::string_view command_line) {
  std::size_t i = 0;
  if (!command_line.empty() && command_line[0] == '"') {
    const std::size_t close = command_line.find('"', 1);
    i = close == std::string_view::npos ? command_line.size() : close + 1;
  } else {
    while (i < command_line.size() && command_line[i] != ' ' && command_line[i] != '\t') ++i;
  }
  while (i < command_line.size() && (command_line[i] == ' ' || command_line[i] == '\t')) ++i;
  return command_line.substr(i);
}

}  // namespace corvinst
