// Marking a message after its verdict: see baymark.h.
#include "baymark.h"

#include "cgtext.h"

namespace chaffguard {

void InsertTopLine(std::vector<std::string>& lines, const std::string& name, const std::string& text) {
  lines.insert(lines.begin(), name + ": " + text);
}

void TagSubject(std::vector<std::string>& lines, const std::string& tag) {
  if (tag.empty()) return;
  const std::string bracketed = "[" + tag + "]";
  for (auto& l : lines) {
    if (l.empty()) break;
    if (!StartsWithNoCase(l, "SUBJECT") || l.find(bracketed) != std::string::npos) continue;
    const auto colon = l.find(':');
    if (colon == std::string::npos) continue;
    l = l.substr(0, colon) + ": " + bracketed + l.substr(colon + 1);
  }
}

void RemoveReadReceipts(std::vector<std::string>& lines) {
  std::size_t i = 0;
  while (i < lines.size() && !lines[i].empty()) {
    const std::string& l = lines[i];
    if (StartsWithNoCase(l, "X-CONFIRM-READING-TO") || StartsWithNoCase(l, "X-VTRQC") ||
        StartsWithNoCase(l, "RETURN-RECEIPT-TO")) {
      std::size_t end = i + 1;
      while (end < lines.size() && !lines[end].empty() && (lines[end][0] == '\t' || lines[end][0] == ' '))
        ++end;
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i), lines.begin() + static_cast<std::ptrdiff_t>(end));
    } else {
      ++i;
    }
  }
}

}  // namespace chaffguard
