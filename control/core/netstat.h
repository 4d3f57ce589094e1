// netstat.h - the IPv4 TCP port table with owning process ids (tNetstatTable).
//
// ITcpTableSource is the system's extended TCP table (all rows, owner pid):
//   Loaded()          whether the IP helper library and its function exist.
//   Fetch(buf, &size) fills buf (size bytes; buf may be null) with the table
//                     image: a 32-bit row count, then rows of six 32-bit
//                     fields (state, local address, local port, remote
//                     address, remote port, owner pid) in machine order, port
//                     fields in network order. Answers 0, 122 (buffer too
//                     small; size set to the size needed), 232 (no data) or
//                     another error code.
// tNetstatTable:
//   UpdateTable()     rebuilds the table: up to ten tries while the answer is
//                     122; ports converted to host order. Returns the last
//                     answer; answers other than 0 and 232 are logged as
//                     "Problem loading NetStat TCP table: Returned %d" (tag
//                     "NetStatTable", ltError) and leave no table. Without the
//                     library the table stays in its rebuilding state for good.
//                     A short image (fewer bytes than its count claims) keeps
//                     only the whole rows it holds.
//   isPortInUsePID(p) owner of the first row with local port p; -1 if none.
//   GetPorts4PID(pid) local ports of the rows of pid, table order, ", ".
//   isPortInUse(p)    name of the owner of the first row with port p from the
//                     snapshot, or _("unknown program"); "" if none.
//   GetPortCount4PID(pid)  rows owned by pid.
// While rebuilding, lookups answer -1, "", "" and 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace control {

class tProcesses;

class ITcpTableSource {
 public:
  virtual ~ITcpTableSource() = default;
  virtual bool Loaded() = 0;
  virtual std::uint32_t Fetch(std::uint8_t* buffer, std::uint32_t* size) = 0;
};

struct TcpRow {
  std::uint32_t state, local_addr, local_port, remote_addr, remote_port, pid;
};

inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorNoData = 232;

class tNetstatTable {
 public:
  tNetstatTable(ITcpTableSource& source, const tProcesses& processes);

  std::uint32_t UpdateTable();
  long long isPortInUsePID(std::uint32_t port);
  std::string GetPorts4PID(std::uint32_t pid);
  std::string isPortInUse(std::uint32_t port);
  int GetPortCount4PID(std::uint32_t pid);

  const std::vector<TcpRow>& Rows() const { return rows_; }
  bool Updating() const { return updating_ != 0; }

 private:
  ITcpTableSource& source_;
  const tProcesses& processes_;
  bool loaded_;
  std::vector<TcpRow> rows_;
  int updating_table_ = 0;
  int updating_ = 0;
  int readers_[4] = {0, 0, 0, 0};
};

}  // namespace control
