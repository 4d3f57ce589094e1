// Subject tag removal and address collection of a correction request: see
// corrections.h.
#include <algorithm>
#include <string_view>

#include "cgtext.h"
#include "corrections.h"
#include "mystrlist.h"

namespace chaffguard {

namespace {
const char* const kAddressHeaders[] = {"return-path:", "from:", "sender:", "resent-from:", "reply-to:"};

bool IsAddressChar(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&*+-./\\^_~@").find(static_cast<char>(c)) != std::string_view::npos;
}

// A run qualifies with exactly one "@" and a domain holding "." but no "..".
bool IsAddressRun(std::string_view run) {
  const size_t at = run.find('@');
  if (at == std::string_view::npos || run.find('@', at + 1) != std::string_view::npos) return false;
  const std::string_view domain = run.substr(at + 1);
  return domain.find('.') != std::string_view::npos && domain.find("..") == std::string_view::npos;
}

void CollectRuns(std::string_view line, std::vector<std::string>& out) {
  size_t i = 0;
  while (i < line.size()) {
    if (!IsAddressChar(static_cast<unsigned char>(line[i]))) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < line.size() && IsAddressChar(static_cast<unsigned char>(line[j]))) ++j;
    const std::string_view run = line.substr(i, j - i);
    if (IsAddressRun(run)) out.push_back(Lower(run));
    i = j;
  }
}
}  // namespace

void RemoveSubjectTag(std::vector<std::string>& lines, const std::string& tag) {
  if (tag.empty()) return;
  const std::string bracketed = "[" + tag + "]";
  for (auto& line : lines) {
    if (line.empty()) break;
    if (!StartsWithNoCase(line, "SUBJECT")) continue;
    const size_t p = line.find(bracketed);
    if (p != std::string::npos) line.erase(p, bracketed.size());
  }
}

std::vector<std::string> CollectCorrectionAddresses(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < lines.size() && !lines[i].empty()) {
    const std::string header = Lower(UnfoldHeader(lines, i));
    for (const char* name : kAddressHeaders) {
      if (header.rfind(name, 0) != 0) continue;
      out.push_back(PlainAddress(header.substr(header.find(':') + 1)));
      break;
    }
  }
  if (lines.empty()) return out;
  const size_t last = std::min(kAddressScanLastLine, lines.size() - 1);
  for (size_t j = i; j <= last; ++j) CollectRuns(lines[j], out);
  return out;
}

}  // namespace chaffguard
