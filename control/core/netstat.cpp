#include "netstat.h"

#include <cstring>

#include "log.h"
#include "processes.h"
#include "text.h"
#include "translate.h"

namespace control {

namespace {

std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

std::uint32_t SwapLowBytes(std::uint32_t v) { return ((v & 0xFF) << 8) | ((v >> 8) & 0xFF); }

// Sets a reader flag for the duration of one lookup.
class Reading {
 public:
  explicit Reading(int& flag) : flag_(flag) { flag_ = 1; }
  ~Reading() { flag_ = 0; }

 private:
  int& flag_;
};

}  // namespace

tNetstatTable::tNetstatTable(ITcpTableSource& source, const tProcesses& processes)
    : source_(source), processes_(processes), loaded_(source.Loaded()) {}

std::uint32_t tNetstatTable::UpdateTable() {
  if (updating_ == 1 || updating_table_ == 1) return 0;
  for (int r : readers_) {
    if (r == 1) return 0;
  }
  updating_ = 1;
  rows_.clear();
  if (!loaded_) return 0;

  std::vector<std::uint8_t> buffer;
  std::uint32_t size = 0;
  std::uint32_t answer = source_.Fetch(nullptr, &size);
  for (int tries = 0; answer == kErrorInsufficientBuffer && tries < 10; ++tries) {
    buffer.assign(size, 0);
    answer = source_.Fetch(buffer.data(), &size);
  }
  if (answer == 0) {
    std::size_t have = buffer.size() >= 4 ? (buffer.size() - 4) / 24 : 0;
    std::size_t count = buffer.size() >= 4 ? Load32(buffer.data()) : 0;
    if (count > have) count = have;
    rows_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* p = buffer.data() + 4 + i * 24;
      rows_.push_back({Load32(p), Load32(p + 4), SwapLowBytes(Load32(p + 8)), Load32(p + 12),
                       SwapLowBytes(Load32(p + 16)), Load32(p + 20)});
    }
  } else if (answer != kErrorNoData) {
    AddLog("NetStatTable", Format("Problem loading NetStat TCP table: Returned %d", {static_cast<long long>(answer)}),
           ltError);
  }
  updating_ = 0;
  return answer;
}

long long tNetstatTable::isPortInUsePID(std::uint32_t port) {
  if (updating_ == 1) return -1;
  Reading r(readers_[3]);
  for (const TcpRow& row : rows_) {
    if (row.local_port == port) return row.pid;
  }
  return -1;
}

std::string tNetstatTable::GetPorts4PID(std::uint32_t pid) {
  if (updating_ == 1) return "";
  Reading r(readers_[1]);
  std::string out;
  for (const TcpRow& row : rows_) {
    if (row.pid != pid) continue;
    if (!out.empty()) out += ", ";
    out += std::to_string(row.local_port);
  }
  return out;
}

std::string tNetstatTable::isPortInUse(std::uint32_t port) {
  if (updating_ == 1) return "";
  Reading r(readers_[2]);
  for (const TcpRow& row : rows_) {
    if (row.local_port != port) continue;
    std::string name = processes_.GetProcessName(row.pid);
    return name.empty() ? _("unknown program") : name;
  }
  return "";
}

int tNetstatTable::GetPortCount4PID(std::uint32_t pid) {
  if (updating_ == 1) return 0;
  Reading r(readers_[0]);
  int n = 0;
  for (const TcpRow& row : rows_) {
    if (row.pid == pid) ++n;
  }
  return n;
}

}  // namespace control
