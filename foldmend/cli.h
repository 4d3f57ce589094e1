// Command mode: the tokenizer, the option parser, command files and the
// program entry. Exit code: the status number (the number of the last
// numbered message) after the last option; in a command file, 0 when a
// line fails or the file cannot be opened.
//
// Options (only "-" and the next two letters count, any case):
//   -QU  toggle quiet          -US name     user name (unused)
//   -MO src dst  move mailbox  -RE master   repair, then fix IDs
//   -CH path     check         -WA dir      wait for MAILBOX*.LCK to go
//   -RU rest     start a program with the rest of the line
//   -DE  toggle delete-command-file         -PA [Y|N]  patch flag
//   -CO path     compact       -FI path     fix IDs
// Errors of the parser ("#028".."#038") are shown through the message box
// hook, never emitted, and do not change the status number.
#pragma once

#include <functional>
#include <string>

#include "context.h"

namespace foldmend {

class Tokenizer {
 public:
  explicit Tokenizer(const std::string& line) : s_(line) {}
  // Next token cut to max characters; false when there is none (also for a
  // quoted token without its closing quote).
  bool next(std::string& tok, std::size_t max);
  std::string rest() const { return s_.substr(p_); }

 private:
  std::string s_;
  std::size_t p_ = 0;
};

struct Platform {
  std::function<void(const std::string&)> message_box;  // caption "Vantric Mail Mailbox Maintenance"
  std::function<void()> usage;                          // the usage text
  std::function<bool(const std::string&)> run_program;  // started, not waited for
  std::function<const char*(const char*)> getenv;
};

extern const char* const kUsageLines[10];
extern const char* const kCaption;

int parse_command_line(Context& ctx, Platform& pf, const std::string& line, std::string& error);
int program_entry(Context& ctx, Platform& pf, const std::string& command_line);

}  // namespace foldmend
