#include "cli.h"

#include <cstdio>

#include "check.h"
#include "compact.h"
#include "fileio.h"
#include "fixids.h"
#include "format.h"
#include "move.h"
#include "repair.h"
#include "winfs.h"

namespace foldmend {

const char* const kCaption = "Vantric Mail Mailbox Maintenance";

const char* const kUsageLines[10] = {
    "FOLDMEND option [option...]",
    "-MO[ve] <source_path> <dest_path>",
    "-RE[pair] <path_to_folder_vtm_file>",
    "-FI[x] <path_to_folder_vtm_file> (fix unique IDs as required)",
    "-CH[eck] <directory_path_for_vtm_files_with_optional_wildcards>",
    "-CO[mpress] <path_to_vtm_files_with_optional_wildcards>",
    "-WA[it] <directory> (Wait until no lock file is present before proceeding)",
    "Only the first two letters of command names are significant.",
    "For the \"-MOVE\" command, the destination directory need not already exist.",
    "If there is only one option on the commandline and it does not start with '-', it is taken to be a "
    "response file containing individual commands, one per line. To start the program in interactive mode, run "
    "FOLDMEND_UI.EXE.",
};

constexpr std::size_t kOptionMax = 510, kPathMax = 254, kUserMax = 78;

bool Tokenizer::next(std::string& tok, std::size_t max) {
  tok.clear();
  while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t')) ++p_;
  if (p_ >= s_.size()) return false;
  if (s_[p_] == '"') {
    std::size_t i = p_ + 1;
    std::string t;
    while (i < s_.size() && s_[i] != '"') {
      char c = s_[i];
      if (c == '\\' && i + 1 < s_.size()) {
        char n = s_[++i];
        c = n == 'r' ? '\r' : n == 'n' ? '\n' : n;
      }
      t += c;
      ++i;
    }
    if (i >= s_.size()) {
      p_ = s_.size();
      return false;
    }
    p_ = i + 1;
    tok = t.substr(0, max);
    return true;
  }
  std::size_t st = p_;
  while (p_ < s_.size() && s_[p_] != ' ' && s_[p_] != '\t') ++p_;
  tok = s_.substr(st, std::min(p_ - st, max));
  return true;
}

namespace {

int lock_wait(Context& ctx, const std::string& dir, std::string& error) {
  std::string pattern = join_path(dir, "MAILBOX*.LCK");
  std::int64_t start = ctx.now_seconds();
  while (any_entry_matches(pattern)) {
    ctx.wait_ms(250);
    if (ctx.now_seconds() - start > 10) {
      error = "#035 -WAIT command timed out waiting for lock to expire";
      return -1;
    }
  }
  return 1;
}

}  // namespace

int parse_command_line(Context& ctx, Platform& pf, const std::string& line, std::string& error) {
  Tokenizer tk(line);
  std::string tok, a, b;
  if (!tk.next(tok, kOptionMax)) {
    error = "#028 No commands to process.";
    return 0;
  }
  for (;;) {
    if (tok.size() < 3 || tok[0] != '-') {
      error = "#029 Invalid command on commandline.";
      return 0;
    }
    std::string key = tok.substr(1, 2);
    if (iequals(key, "QU")) {
      ctx.quiet = !ctx.quiet;
    } else if (iequals(key, "US")) {
      if (!tk.next(a, kUserMax)) return error = "#030 -USER command incomplete or invalid", -1;
      ctx.user = a;
    } else if (iequals(key, "MO")) {
      if (!tk.next(a, kPathMax) || !tk.next(b, kPathMax))
        return error = "#031 -MOVE command incomplete or invalid", -1;
      if (move_mailbox(ctx, a, b, nullptr, ctx.patch, pf.getenv) != 1) return error = "-MOVE command failed.", -1;
    } else if (iequals(key, "RE")) {
      if (!tk.next(a, kPathMax)) return error = "#032 -REPAIR command incomplete or invalid", -1;
      if (repair_folder(ctx, a, pf.getenv) == 0) return error = "-REPAIR command failed.", -1;
      if (fix_ids_folder(ctx, a) == -1) return error = "** Errors occurred while checking message IDs.", -1;
    } else if (iequals(key, "CH")) {
      if (!tk.next(a, kPathMax)) return error = "#033 -CHECK command incomplete or invalid", -1;
      check_matching(ctx, a);
    } else if (iequals(key, "WA")) {
      if (!tk.next(a, kPathMax)) return error = "#034 -WAIT command incomplete or invalid", -1;
      if (lock_wait(ctx, a, error) != 1) return -1;
    } else if (iequals(key, "RU")) {
      std::string rest = tk.rest();
      while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n')) rest.pop_back();
      std::size_t s = rest.find_first_not_of(" \t");
      rest = s == std::string::npos ? "" : rest.substr(s);
      if (pf.run_program) pf.run_program(rest);
      return 1;
    } else if (iequals(key, "DE")) {
      ctx.delete_command_file = !ctx.delete_command_file;
    } else if (iequals(key, "PA")) {
      if (tk.next(a, kOptionMax)) {
        if (a[0] == 'n' || a[0] == 'N') ctx.patch = false;
        else if (a[0] == 'y' || a[0] == 'Y') ctx.patch = true;
      } else {
        ctx.patch = !ctx.patch;
      }
    } else if (iequals(key, "CO")) {
      if (!tk.next(a, kPathMax)) return error = "#036 -COMPRESS command incomplete or invalid", -1;
      compact_matching(ctx, a);
    } else if (iequals(key, "FI")) {
      if (!tk.next(a, kPathMax)) return error = "#038 -FIXIDS command incomplete or invalid", -1;
      fix_ids_matching(ctx, a);
    } else {
      error = "#029 Invalid command on commandline.";
      return 0;
    }
    if (!tk.next(tok, kOptionMax)) return 1;
  }
}

int program_entry(Context& ctx, Platform& pf, const std::string& command_line) {
  Tokenizer tk(command_line);
  std::string first;
  if (!tk.next(first, kOptionMax)) {
    if (pf.usage) pf.usage();
    return 0;
  }
  std::string error;
  if (first[0] == '-') {
    int r = parse_command_line(ctx, pf, command_line, error);
    if (r == -1 && !ctx.quiet && pf.message_box) pf.message_box(error);
    if (r == 0 && !ctx.quiet && pf.usage) pf.usage();
    return ctx.out.status();
  }
  File f;
  if (!f.open(first, "rt")) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "Could not open command file '%.60s'", first.c_str());
    if (pf.message_box) pf.message_box(buf);
    return 0;
  }
  char buf[256];
  while (std::fgets(buf, sizeof buf, f.get())) {
    std::string line = buf;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    int r = parse_command_line(ctx, pf, line, error);
    if (r != 1) {
      f.close();
      if (!ctx.quiet) {
        if (r == 0 && pf.usage) pf.usage();
        if (r == -1 && pf.message_box) pf.message_box(error);
      }
      return 0;
    }
  }
  f.close();
  if (ctx.delete_command_file) fs_remove(first);
  return ctx.out.status();
}

}  // namespace foldmend
