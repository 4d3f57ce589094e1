// Tokenizer plug-ins: the call point of the part walk.
//
// Purpose: a decode run loads the tokenizer plug-ins, offers them every part
// below the line limit with its MIME type and file extension (they may add
// "pl*" tokens) and unloads them at its end.
//
//   TokenizerPlugins::Load()   the plug-ins of one decode run
//   Empty()                    true when none is loaded (the walk then
//                              offers nothing)
//   Offer(type, ext, part, tokens)  hands one part to every loaded plug-in
//
// Not built yet: Load() loads no plug-in, so Empty() is always true and
// Offer() does nothing; no "pl*" token is ever added.
#pragma once

#include <string>

#include "mwQuickAndDirtyHashStrings.h"

namespace chaffguard {

class TMimePart;

class TokenizerPlugins {
 public:
  static TokenizerPlugins Load();
  bool Empty() const { return true; }
  void Offer(const std::string& mime_type, const std::string& extension, const TMimePart& part,
             mime::TmwQuickAndDirtyHashStrings& tokens) const;
};

}  // namespace chaffguard
