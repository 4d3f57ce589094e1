// Tokenizer plug-ins: see tokenizer_plugins.h (the call point only, so far).
#include "tokenizer_plugins.h"

namespace chaffguard {

TokenizerPlugins TokenizerPlugins::Load() { return TokenizerPlugins{}; }

void TokenizerPlugins::Offer(const std::string& mime_type, const std::string& extension, const TMimePart& part,
                             mime::TmwQuickAndDirtyHashStrings& tokens) const {
  (void)mime_type;
  (void)extension;
  (void)part;
  (void)tokens;
}

}  // namespace chaffguard
