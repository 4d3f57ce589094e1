#include "origin.h"

#include "addracl.h"
#include "cgtext.h"
#include "hostif.h"
#include "mystrlist.h"

namespace chaffguard {

namespace {
std::string AddressAfterColon(const std::string& line) {
  size_t colon = line.find(':');
  std::string plain = PlainAddress(Trim(line.substr(colon + 1)));
  size_t sp = plain.find(' ');
  if (sp != std::string::npos) plain.resize(sp);
  return Lower(plain);
}
}  // namespace

HeaderFacts ReadHeaderFacts(const std::vector<std::string>& lines, const std::string& block_tag) {
  HeaderFacts f;
  bool have_from = false, have_sender = false, have_rp = false;
  for (size_t i = 0; i < lines.size() && !lines[i].empty();) {
    const std::string line = UnfoldHeader(lines, i);
    const std::string low = Lower(line);
    if (!have_from && low.rfind("from:", 0) == 0) {
      f.from_address = AddressAfterColon(line);
      have_from = true;
    } else if (!have_sender && low.rfind("sender:", 0) == 0) {
      f.sender_address = AddressAfterColon(line);
      have_sender = true;
    } else if (!have_rp && low.rfind("return-path:", 0) == 0) {
      std::string v = line.substr(line.find(':') + 1);
      size_t lt = v.find('<');
      if (lt != std::string::npos) {
        v = v.substr(lt + 1);
        size_t gt = v.find('>');
        if (gt != std::string::npos) v.resize(gt);
      }
      f.return_path = Lower(PlainAddress(Trim(v)));
      have_rp = true;
    }
  }
  std::vector<std::string> tags;
  for (auto& t : SplitCommaText(block_tag))
    if (!t.empty()) tags.push_back(Lower(t));  // an empty entry would block everything
  for (size_t i = 0; i < lines.size() && !lines[i].empty() && !f.blocked; ++i) {
    const std::string low = Lower(lines[i]);
    for (const auto& t : tags)
      if (low.rfind(t, 0) == 0) { f.blocked = true; break; }
  }
  return f;
}

bool HasVirusMarker(const std::vector<std::string>& lines, const std::string& virus_tag) {
  if (virus_tag.empty()) return false;
  const std::string tag = Lower(virus_tag);
  for (size_t i = 0; i < lines.size() && !lines[i].empty(); ++i) {
    size_t pos = Lower(lines[i]).find(tag);
    if (pos != std::string::npos && pos > 0) return true;
  }
  return false;
}

OriginResult AnalyseOrigin(const OriginInput& in, const OriginEnv& env) {
  OriginResult r;
  r.sender = in.sender;
  auto debug = [&](const std::string& m) { if (env.debug && env.log) env.log('D', m); };
  r.local_sender = (in.flags & hostif::kFlagLocalSender) != 0;
  if (!r.local_sender && StartsWithNoCase(in.sender, "verp.")) {
    r.local_sender = true;
    debug("origin by VERP");
  }
  if (r.local_sender) {
    r.need_test = false;
    return r;
  }
  if (in.sender.empty()) {
    debug("origin by CorvaneD");
    r.sender = in.headers.return_path;
    if (r.sender.empty()) {
      std::string from = in.headers.from_address;
      size_t sp = from.find(' ');
      r.sender = sp == std::string::npos ? from : from.substr(0, sp);
    }
    r.need_test = true;
    return r;
  }
  const bool pop3_flag = (in.flags & hostif::kFlagPop3Collected) != 0;
  bool found = false;
  const std::vector<std::string> empty;
  const auto& lines = in.lines ? *in.lines : empty;
  for (size_t i = 0; i < lines.size() && !lines[i].empty() && !found;) {
    const std::string line = UnfoldHeader(lines, i);
    if (StartsWithNoCase(line, "X-LISTNAME")) {
      r.local_sender = true;
      r.need_test = false;
      debug("origin by listserver");
      found = true;
    } else if (StartsWithNoCase(line, "RECEIVED")) {
      found = true;
      if (pop3_flag && line.find("POP3D") != std::string::npos) {
        r.need_test = true;
        r.local_sender = false;
        r.pop3 = true;
        debug("origin by CorvaneD");
        break;
      }
      std::string client;
      size_t open = line.find(" (");
      if (open != std::string::npos) {
        size_t close = line.find(") ", open + 2);
        client = close == std::string::npos ? line.substr(open + 2)
                                            : line.substr(open + 2, close - open - 2);
      }
      uint32_t ignored;
      if (ParseDottedQuad(client, &ignored)) {
        debug("IP: " + client);
        const bool match = env.acl_matches && env.acl_matches(client);
        debug(match ? "> Match ACL" : "> Missed ACL");
        r.need_test = !match;
      } else {
        r.need_test = false;
      }
      r.local_sender = !r.need_test;
    }
  }
  if (!found) {
    if (pop3_flag) {
      r.need_test = true;
      r.local_sender = false;
    } else {
      debug("origin by Corvane");
      r.ends_call = true;
      return r;
    }
  }
  if (!r.pop3 && !r.local_sender && env.is_local && env.is_local(r.sender)) {
    for (const auto& rcpt : in.recipients) {
      if (env.is_local(rcpt)) continue;
      r.local_sender = true;
      r.need_test = false;
      if (env.log) env.log('T', "Authorized by SMTP AUTH");
    }
  }
  return r;
}

}  // namespace chaffguard
