#include "processes.h"

namespace control {

void tProcesses::UpdateList() {
  ProcessList2.clear();
  ProcessList2 = source_.Enumerate();
}

std::string tProcesses::GetProcessName(std::uint32_t pid) const {
  for (const ProcessEntry& e : ProcessList2) {
    if (e.pid == pid) return e.name;
  }
  return "";
}

std::string tProcesses::GetProcessPath(std::uint32_t pid) const {
  std::string path;
  switch (source_.ProcessPath(pid, &path)) {
    case IProcessList::PathResult::kCannotOpen: return "Unable to open process";
    case IProcessList::PathResult::kCannotQuery: return "Unable to get info";
    case IProcessList::PathResult::kOk: break;
  }
  auto junk = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t a = 0, b = path.size();
  while (a < b && junk(path[a])) ++a;
  while (b > a && junk(path[b - 1])) --b;
  return path.substr(a, b - a);
}

}  // namespace control
