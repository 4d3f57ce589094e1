// The address ACL: `LocalIP` entries "a.b.c.d/n" and `DynamicHost` names.
//
//   ParseDottedQuad(text, &value)  four dot-separated decimal parts of 1 to 3
//                     digits, each at most 255; nothing else
//   EntryMatches(entry, address)   n a whole number other than 0 (above 32 counts
//                     as 32, below 0 never matches), the address part a valid
//                     dotted quad and the first n bits equal; no "/n", no match
//   AclMatches(address, local_ip, dynamic_host, resolve)  first the LocalIP list,
//                     then, when nothing matched and dynamic_host is non-empty,
//                     every resolved host name ("0.0.0.0" results skipped) as /32
//   ResolveIPv4(name) the system resolver's first IPv4 address, "0.0.0.0" when none
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace chaffguard {

using ResolveFn = std::function<std::string(const std::string& host_name)>;

bool ParseDottedQuad(const std::string& text, uint32_t* value);
bool EntryMatches(const std::string& entry, uint32_t address);
bool AclMatches(const std::string& address, const std::string& local_ip,
                const std::string& dynamic_host, const ResolveFn& resolve);
std::string ResolveIPv4(const std::string& host_name);

}  // namespace chaffguard
