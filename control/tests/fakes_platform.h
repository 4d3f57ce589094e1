// Test fakes: an in-memory process list, TCP table and service manager.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "netstat.h"
#include "processes.h"
#include "services.h"
#include "text.h"

namespace control_test {

using control::ScHandle;

class FakeProcessList : public control::IProcessList {
 public:
  struct Proc {
    std::string name;
    std::uint32_t pid;
    std::string path;  // empty: cannot be opened; "?": cannot be queried
  };
  std::vector<Proc> procs;

  std::vector<control::ProcessEntry> Enumerate() override {
    std::vector<control::ProcessEntry> out;
    for (const auto& p : procs) out.push_back({p.name, p.pid});
    return out;
  }
  PathResult ProcessPath(std::uint32_t pid, std::string* path) override {
    for (const auto& p : procs) {
      if (p.pid != pid || pid == 0) continue;
      if (p.path.empty()) return PathResult::kCannotOpen;
      if (p.path == "?") return PathResult::kCannotQuery;
      *path = p.path;
      return PathResult::kOk;
    }
    return PathResult::kCannotOpen;
  }
};

// Rows are given with host-order ports; the image holds them in network order.
class FakeTcpTable : public control::ITcpTableSource {
 public:
  bool loaded = true;
  std::vector<control::TcpRow> rows;
  std::vector<std::uint32_t> answers;  // forced answers, in order (then the real one)
  int fetches = 0;
  std::uint32_t claimed_count_extra = 0;  // count field larger than the rows held

  bool Loaded() override { return loaded; }
  std::uint32_t Fetch(std::uint8_t* buffer, std::uint32_t* size) override {
    ++fetches;
    std::vector<std::uint8_t> image = Image();
    if (!answers.empty()) {
      std::uint32_t a = answers.front();
      answers.erase(answers.begin());
      if (a == control::kErrorInsufficientBuffer) *size = static_cast<std::uint32_t>(image.size());
      return a;
    }
    if (!buffer || *size < image.size()) {
      *size = static_cast<std::uint32_t>(image.size());
      return control::kErrorInsufficientBuffer;
    }
    std::memcpy(buffer, image.data(), image.size());
    return 0;
  }

 private:
  static std::uint32_t Net(std::uint32_t port) { return ((port & 0xFF) << 8) | ((port >> 8) & 0xFF); }
  std::vector<std::uint8_t> Image() const {
    std::vector<std::uint32_t> words{static_cast<std::uint32_t>(rows.size()) + claimed_count_extra};
    for (const auto& r : rows) {
      words.insert(words.end(), {r.state, r.local_addr, Net(r.local_port), r.remote_addr, Net(r.remote_port), r.pid});
    }
    std::vector<std::uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return bytes;
  }
};

class FakeServiceManager : public control::IServiceManager {
 public:
  struct Service {
    State state = State::kStopped;
    std::string path;
    std::uint32_t pid = 0;
    bool can_open = true;
    bool can_query = true;
  };
  std::map<std::string, Service> services;   // by lower-case name
  std::vector<std::string> active_order;      // enumeration order of active services
  bool manager_ok = true;
  bool config_ok = true;
  int open_handles = 0;

  ScHandle OpenManager(ManagerAccess) override {
    if (!manager_ok) return 0;
    ++open_handles;
    return 1;
  }
  ScHandle OpenNamedService(ScHandle, const std::string& name, ServiceAccess) override {
    auto it = services.find(control::LowerAscii(name));
    if (it == services.end() || !it->second.can_open) return 0;
    ++open_handles;
    handles_[next_] = it->first;
    return next_++;
  }
  bool QueryState(ScHandle s, State* state) override {
    *state = services[handles_.at(s)].state;
    return services[handles_.at(s)].can_query;
  }
  bool QueryBinaryPath(ScHandle s, std::string* path) override {
    *path = services[handles_.at(s)].path;
    return config_ok;
  }
  bool EnumActiveWin32(ScHandle, std::vector<std::string>* names) override {
    *names = active_order;
    return true;
  }
  bool QueryProcessId(ScHandle s, std::uint32_t* pid) override {
    *pid = services[handles_.at(s)].pid;
    return services[handles_.at(s)].can_query;
  }
  void Close(ScHandle) override { --open_handles; }

 private:
  std::map<ScHandle, std::string> handles_;
  ScHandle next_ = 100;
};

}  // namespace control_test
