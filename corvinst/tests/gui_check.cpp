#include "gui_check.h"

#include <cstdio>

namespace corvinst_test {
namespace {

int failures = 0;

}  // namespace

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

void CheckText(const std::string& actual, const std::string& expected, const std::string& what) {
  Check(actual == expected, what + " is \"" + expected + "\" (got \"" + actual + "\")");
}

int FailedChecks() { return failures; }

}  // namespace corvinst_test
