// processes.h - the process snapshot (tProcesses) over a process list.
//
//   IProcessList::Enumerate()  every running process with its executable base
//                    name (main module's base name when the process can be
//                    opened, else the name the system snapshot reports) and
//                    id, in the system's order, the idle process included.
//   IProcessList::ProcessPath(pid, &path)  kCannotOpen when the process cannot
//                    be opened for query and read; kCannotQuery when its
//                    image name cannot be read.
//   tProcesses::UpdateList()       replaces ProcessList2 with a new picture.
//   tProcesses::GetProcessName(pid) first name listed for pid, or "".
//   tProcesses::GetProcessPath(pid) full path (blanks, controls and NULs
//                    trimmed at both ends), or "Unable to open process" /
//                    "Unable to get info". Asks the system every time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace control {

struct ProcessEntry {
  std::string name;
  std::uint32_t pid;
};

class IProcessList {
 public:
  enum class PathResult { kOk, kCannotOpen, kCannotQuery };
  virtual ~IProcessList() = default;
  virtual std::vector<ProcessEntry> Enumerate() = 0;
  virtual PathResult ProcessPath(std::uint32_t pid, std::string* path) = 0;
};

class tProcesses {
 public:
  explicit tProcesses(IProcessList& source) : source_(source) {}
  void UpdateList();
  std::string GetProcessName(std::uint32_t pid) const;
  std::string GetProcessPath(std::uint32_t pid) const;

  std::vector<ProcessEntry> ProcessList2;

 private:
  IProcessList& source_;
};

}  // namespace control
