// Marking a message after its verdict: the edits made on its lines.
//
//   InsertTopLine(lines, name, text)  "name: text" inserted as the first line
//   TagSubject(lines, tag)            every Subject header line (up to the first
//                                     empty line) holding a ":" and not yet
//                                     "[tag]" becomes "<name>: [tag]<rest>";
//                                     nothing for an empty tag
//   RemoveReadReceipts(lines)         removes X-Confirm-Reading-To, X-VTRQC and
//                                     Return-Receipt-To header lines with their
//                                     continuation lines
// No diagnostics.
#pragma once

#include <string>
#include <vector>

namespace chaffguard {

void InsertTopLine(std::vector<std::string>& lines, const std::string& name, const std::string& text);
void TagSubject(std::vector<std::string>& lines, const std::string& tag);
void RemoveReadReceipts(std::vector<std::string>& lines);

}  // namespace chaffguard
