#include "addracl.h"

#include "cgtext.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace chaffguard {

bool ParseDottedQuad(const std::string& text, uint32_t* value) {
  uint32_t v = 0;
  size_t p = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (p >= text.size() || text[p] != '.') return false;
      ++p;
    }
    size_t b = p;
    unsigned n = 0;
    while (p < text.size() && p - b < 4 && text[p] >= '0' && text[p] <= '9') n = n * 10 + static_cast<unsigned>(text[p++] - '0');
    if (p == b || p - b > 3 || n > 255) return false;
    v = (v << 8) | n;
  }
  if (p != text.size()) return false;
  *value = v;
  return true;
}

bool EntryMatches(const std::string& entry, uint32_t address) {
  size_t slash = entry.find('/');
  if (slash == std::string::npos) return false;
  uint32_t net;
  if (!ParseDottedQuad(Trim(entry.substr(0, slash)), &net)) return false;
  long long n = ParseInt(entry.substr(slash + 1), 0);
  if (n <= 0) return false;
  if (n > 32) n = 32;
  const uint32_t mask = n == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> n);
  return (net & mask) == (address & mask);
}

bool AclMatches(const std::string& address, const std::string& local_ip,
                const std::string& dynamic_host, const ResolveFn& resolve) {
  uint32_t a;
  if (!ParseDottedQuad(address, &a)) return false;
  for (const auto& e : SplitCommaText(local_ip))
    if (EntryMatches(e, a)) return true;
  if (dynamic_host.empty() || !resolve) return false;
  for (const auto& name : SplitCommaText(dynamic_host)) {
    if (name.empty()) continue;
    const std::string ip = resolve(name);
    if (ip.empty() || ip == "0.0.0.0") continue;
    if (EntryMatches(ip + "/32", a)) return true;
  }
  return false;
}

std::string ResolveIPv4(const std::string& host_name) {
#ifdef _WIN32
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) return "0.0.0.0";
#endif
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  if (getaddrinfo(host_name.c_str(), nullptr, &hints, &res) != 0 || !res) return "0.0.0.0";
  std::string out = "0.0.0.0";
  for (addrinfo* p = res; p; p = p->ai_next) {
    if (p->ai_family != AF_INET || !p->ai_addr) continue;
    const auto* sin = reinterpret_cast<const sockaddr_in*>(p->ai_addr);
    const uint32_t v = ntohl(sin->sin_addr.s_addr);
    out = std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 255) + "." +
          std::to_string((v >> 8) & 255) + "." + std::to_string(v & 255);
    break;
  }
  freeaddrinfo(res);
  return out;
}

}  // namespace chaffguard
