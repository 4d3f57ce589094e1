// Service command line: the text the Service Control Manager starts as the
// mail server's core process.
//
// BuildServiceCommandLine(module_path, desktop, arguments) turns the
// installer's own file name into
//     <installer directory>\corvane.exe -s[w][ <arguments>]
// Every "/" of the module path becomes "\"; the directory is the path up to
// (not including) its last backslash, or empty when there is none; a drive
// root keeps its backslash ("C:\corvinst.exe" gives "C:\", so the server is
// "C:\corvane.exe" and not the drive-relative "C:corvane.exe"). The
// directory and "corvane.exe" are joined directly when the directory is
// empty or ends in "\", "/" or ":", otherwise with a backslash between.
// " -sw" is appended when the service may interact with the desktop,
// " -s" otherwise; non-empty argument text follows after one blank.
//
// Limits: the result holds at most kMaxCommandLine (255) characters, the
// size of the buffer the service's command line has always been built in.
// A longer command line is refused (std::nullopt) rather than cut, since a
// cut path or switch would register a service that cannot start. An empty
// module path (the installer's own name could not be read) is refused too:
// it would leave a bare "corvane.exe" looked up wherever the service starts.
//
// ArgumentText(process_command_line) returns the installer's own argument
// text: the whole command line after the program name and the blanks that
// follow it, unchanged (as WinMain's command line: the name ends right
// after the closing quote when it starts with one, otherwise at the first
// blank or tab).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvinst {

inline constexpr std::size_t kMaxCommandLine = 255;
inline constexpr std::string_view kServerExecutable = "corvane.exe";
inline constexpr std::string_view kServiceSwitch = " -s";
inline constexpr std::string_view kDesktopServiceSwitch = " -sw";

// The directory part of `module_path` after slashes were made backslashes.
std::string InstallerDirectory(std::string_view module_path);

// The service's command line, or std::nullopt when `module_path` is empty
// or the line would exceed kMaxCommandLine characters.
std::optional<std::string> BuildServiceCommandLine(std::string_view module_path,
                                                   bool desktop,
                                                   std::string_view arguments);

// The argument text of a whole process command line (see above).
std::string_view ArgumentText(std::string_view process_command_line);

}  // namespace corvinst
