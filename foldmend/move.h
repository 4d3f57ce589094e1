// Mailbox move: copies a mailbox directory's files (not subdirectories, not
// "VMAIL.INI", "HOMEBOX.VT" or new-mail files "*.CNM") to another directory,
// deletes them from the old one, and optionally points the user's
// "VMAIL.INI" ("Home mailbox location" in "[GENERAL]") at the new place.
//
//   move_mailbox(ctx, src, dst, settings_dir, patch, getenv)  1 or -1
//     (#003, #004, #005); a failed copy removes the copies made so far
//   read_mailbox_location(ctx, ini, location)   true when found
//   patch_settings(ctx, ini, new_dir, getenv)   1 or 0 (#001, #002)
//   copy_file(dst, src)                         1 or 0; refuses one file
//                                               under two names
//   create_directory_path(path)                 every missing directory
// Progress goes to ctx.progress when it is set and the quiet switch is off.
#pragma once

#include <functional>
#include <string>

#include "context.h"

namespace foldmend {

using GetEnv = std::function<const char*(const char*)>;

int move_mailbox(Context& ctx, const std::string& src, const std::string& dst, const std::string* settings_dir,
                 bool patch, const GetEnv& getenv_fn);
bool read_mailbox_location(Context& ctx, const std::string& ini, std::string& location);
int patch_settings(Context& ctx, const std::string& ini, const std::string& new_dir, const GetEnv& getenv_fn);
int copy_file(const std::string& dst, const std::string& src);
void create_directory_path(const std::string& path);

}  // namespace foldmend
