// The eight host operations of the stand-in mail server, over a base folder:
//
//   DIR/QUEUE          queue (host value 1); DIR is host value 8
//   DIR/MAIL/<user>    local mailboxes; ClassifyAddress answers 1 for
//                      <user>@<domain> (or a bare <user>) when that folder
//                      exists, a "+suffix" of the user part ignored; 2 for the
//                      addresses listed in DIR/local-aliases.txt; -1 for any
//                      other address in <domain>; 0 otherwise
//   DIR/host.log       one line "<priority> <text>" per HostLog call
//
// The operations are plain C functions (as the plug-in calls them), so their
// state is process-wide: HostConfig() and the current job.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hostif.h"

namespace cg_host {

struct HostSettings {
  std::string base;
  std::string domain = "localhost";
  std::string hostname = "mail.example.com";
  std::string queue;
};

struct Job {
  std::string id;
  uint32_t flags = 0;
  std::string sender;
  std::vector<std::string> recipients;
  size_t next = 0;
  std::string file_path;
  int released = 0;
};

HostSettings& HostConfig();

// Fills `block` (at least hostif::kBlockSize bytes) with the version and the
// eight operations.
void FillBlock(unsigned char* block, int major, int minor);

std::string Join(const std::string& dir, const std::string& name);

}  // namespace cg_host
