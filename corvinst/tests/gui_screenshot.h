// Test helper: saves what a window shows on the screen as a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

namespace corvinst_test {

// Copies the screen area under `window` (frame included) into `path`.
// False when the area is empty or the file cannot be written.
bool SaveWindowImage(HWND window, const std::string& path);

}  // namespace corvinst_test
