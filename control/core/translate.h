// translate.h - the translation function of the control panel.
//
// Message ids are UTF-8 texts. _(id) gives the translation of id in the text
// domain "ostrel_control" for the language chosen by UseLanguage, or id itself
// when no catalogue is loaded or the catalogue has no entry for it.
//
//   UseLanguage(locale_dir, lang)  loads locale_dir/lang/LC_MESSAGES/
//                       ostrel_control.mo when it exists (a GNU gettext
//                       catalogue); otherwise translations are switched off.
//                       Returns whether a catalogue was loaded.
//   ParseMoCatalogue(bytes, out)  reads a .mo image of either byte order into
//                       a map id -> text; false (out untouched) for a damaged
//                       image: bad magic, tables or strings outside the image.
//                       Plural entries are keyed by their singular id and give
//                       their first form.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace control {

inline constexpr const char kTextDomain[] = "ostrel_control";

std::string _(std::string_view id);

bool UseLanguage(const std::string& locale_dir, const std::string& lang);
bool ParseMoCatalogue(std::string_view bytes, std::map<std::string, std::string, std::less<>>& out);
// Replaces the active catalogue (empty map: no translation).
void SetCatalogue(std::map<std::string, std::string, std::less<>> catalogue);

}  // namespace control
