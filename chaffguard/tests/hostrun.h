// Runs the stand-in host for the tests: in this process (RunHostHere) or as a
// child process of its own (StartHost / WaitHost), both with the plug-in that
// the build puts beside the test program.
#pragma once

#include <string>
#include <vector>

namespace cg_test {

struct HostResult {
  int status = -1;
  std::string out, err;
};

HostResult RunHostHere(const std::vector<std::string>& args, const std::string& scratch_dir);

// Starts chaffguard-host with `args`; returns a handle for WaitHost, or -1.
long long StartHost(const std::vector<std::string>& args);
int WaitHost(long long handle);

}  // namespace cg_test
