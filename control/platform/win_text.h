// win_text.h - UTF-8 <-> UTF-16 at the Win32 boundary.
#pragma once

#include <string>

namespace control::win {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide);

}  // namespace control::win
