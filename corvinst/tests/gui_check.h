// Test helper: named checks that print one line each ("ok: ..." or
// "FAIL: ...") and count the failures, for test programs outside GoogleTest.
#pragma once

#include <string>

namespace corvinst_test {

void Check(bool ok, const std::string& what);

template <typename T>
void CheckEq(const T& actual, const T& expected, const std::string& what) {
  Check(actual == expected, what);
}

// Checks a text, showing the expected and the actual one.
void CheckText(const std::string& actual, const std::string& expected, const std::string& what);

int FailedChecks();

}  // namespace corvinst_test
