// Where a message comes from and the header facts read right after loading it.
//
//   ReadHeaderFacts(lines, block_tag)  From-header address, Sender-header
//       address, Return-Path address and "blocked by header" (a raw header line,
//       lower-cased, starting with a non-empty entry of the BlockTag list)
//   HasVirusMarker(lines, virus_tag)   a header line (lower-cased) holding the
//       lower-cased tag at a position after its first character
//   AnalyseOrigin(in, env)  the origin rules: flag bit 11 and "verp." senders,
//       an empty sender (Return-Path / From), the first Received or X-LISTNAME
//       header with the address ACL, POP3 collection, and the SMTP AUTH relay.
//       `ends_call` is set for mail the server generated itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace chaffguard {

struct HeaderFacts {
  std::string from_address;
  std::string sender_address;
  std::string return_path;
  bool blocked = false;
};

HeaderFacts ReadHeaderFacts(const std::vector<std::string>& lines, const std::string& block_tag);
bool HasVirusMarker(const std::vector<std::string>& lines, const std::string& virus_tag);

struct OriginInput {
  uint32_t flags = 0;
  std::string sender;
  std::vector<std::string> recipients;
  const std::vector<std::string>* lines = nullptr;
  HeaderFacts headers;
};

struct OriginEnv {
  std::function<bool(const std::string&)> is_local;        // address is local
  std::function<bool(const std::string&)> acl_matches;      // dotted quad in the ACL
  std::function<void(char, const std::string&)> log;        // (type, message)
  bool debug = false;
};

struct OriginResult {
  bool ends_call = false;  // "origin by Corvane": DAEMON returns 0
  bool local_sender = false;
  bool need_test = false;
  bool pop3 = false;
  std::string sender;  // may be replaced for an empty envelope sender
};

OriginResult AnalyseOrigin(const OriginInput& in, const OriginEnv& env);

}  // namespace chaffguard
