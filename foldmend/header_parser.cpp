#include "header_parser.h"

#include <cctype>
#include <cstring>
#include <ctime>
#include <tuple>

#include "header_values.h"
#include "winfs.h"

namespace foldmend {

namespace {

constexpr std::size_t kLineMax = 511;

const char* const kNames[29] = {
    "FROM",      "SUBJ",        "SUBJECT",  "REPLY-TO",        "DATE",        "SENT",
    "X-FILE",    "X-VTUUE",     "X-VTENC",  "X-VTRQC",         "X-CS",        "TO",
    "RESENT-FROM", "PRIORITY",  "MIME-VERSION", "X-BINHEX",    "EXPIRY-DATE", "X-VTFLAGS",
    "X-CONFIRM-READING-TO", "X-ENCLOSURE-INFO", "CONTENT-TYPE", "X-VT-ENCRYPTOR", "X-VT-CIRCULATE-TO",
    "X-VTDFROM", "X-VTDSUBJECT", "X-PRIORITY", "IMPORTANCE", "RETURN-PATH", "RECEIVED"};

// One logical header line; false for the empty line (end of header).
bool read_header_line(ByteReader& in, std::string& line, bool& at_end) {
  line.clear();
  if (at_end) return false;
  bool any = false;
  for (;;) {
    int c = in.get();
    if (c < 0 || c == kCtrlZ) {
      at_end = true;
      return any;
    }
    if (c == '\r') continue;
    if (c == '\n') {
      if (!any) return false;
      int n = in.peek();
      if (n == ' ' || n == '\t') {
        in.get();
        if (line.size() < kLineMax) line += static_cast<char>(n);
        continue;
      }
      return true;
    }
    any = true;
    if (line.size() < kLineMax) line += static_cast<char>(c);
  }
}

// fgets with a 512-byte buffer: up to 511 bytes or through the LF.
bool read_raw_line(ByteReader& in, std::string& line) {
  line.clear();
  while (line.size() < kLineMax) {
    int c = in.get();
    if (c < 0) break;
    line += static_cast<char>(c);
    if (c == '\n') break;
  }
  return !line.empty();
}

std::string upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

struct State {
  bool confirm = false, resent = false, trace_names = true;
};

void from_rule(MessageSummary& s, const std::string& v) {
  std::string decoded;
  if (v.find("=?") != std::string::npos && decode_words(v, decoded)) {
    s.from = display_name(decoded);
    if (!s.from.empty()) return;
  }
  s.from = display_name(v);
  if (!s.from.empty()) return;
  s.from = address_of(v);
}

void subject_rule(MessageSummary& s, const std::string& v) {
  std::string decoded;
  if (v.find("=?") != std::string::npos && decode_words(v, decoded))
    s.subject = decoded;
  else
    s.subject = v;
  if (s.subject.size() > 49) s.subject.resize(49);
}

void vtflags_rule(MessageSummary& s, const std::string& v) {
  const char* p = v.c_str();
  const char* e;
  s.flags = static_cast<std::uint32_t>(parse_number(p, &e));
  p = e;
  if (*p != ' ') return;
  ++p;
  s.client_a = static_cast<std::int8_t>(static_cast<std::uint8_t>(parse_number(p) & 0xFF));
  p = std::strchr(p, ' ');
  if (!p) return;
  ++p;
  s.client_b_source = static_cast<std::uint32_t>(parse_number(p)) & ~0xFFu;
  p = std::strchr(p, ' ');
  if (!p) return;
  while (*p == ' ' || *p == '\t') ++p;
  if (!*p) return;
  s.id = std::string(p).substr(0, 13);
}

void content_type_rule(MessageSummary& s, const std::string& v) {
  if (istarts_with(v, "MULTIPART")) {
    s.flags |= 0x20000000;
    if (istarts_with(v.substr(9), "/ALTERNATIVE")) s.flags |= 0x00000100;
  } else if (istarts_with(v, "TEXT/HTML")) {
    s.flags |= 0x00000200;
  } else if (istarts_with(v, "TEXT/ENRICHED")) {
    s.flags |= 0x40000000;
  } else if (istarts_with(v, "TEXT/X-RTF") || istarts_with(v, "TEXT/RTF")) {
    s.flags |= 0x00010000;
  } else if (istarts_with(v, "MESSAGE/RFC822")) {
    s.flags |= 0x00000800;
  }
}

void apply(MessageSummary& s, State& st, int no, const std::string& v, const ClockFields& now) {
  switch (no) {
    case 0:
      if (!(s.flags & 0x02000000) && v.find('@') != std::string::npos) s.flags |= 0x02000000;
      if (!(s.flags & 0x00020000)) from_rule(s, v);
      break;
    case 1: case 2: case 24: subject_rule(s, v); break;
    case 4: case 5: s.date = parse_date(v); break;
    case 6: s.flags |= 0x00000001; break;
    case 7: s.flags |= 0x00000002; break;
    case 8: s.flags |= 0x00000004; break;
    case 9: case 18: st.confirm = true; break;
    case 10: s.flags |= 0x00020000; break;
    case 11:
      if (s.flags & 0x00020000) s.from = v.substr(0, 41);
      break;
    case 12: st.resent = true; break;
    case 13:
      if (istarts_with(v, "URGENT")) s.flags |= 0x00400000;
      break;
    case 14: s.flags |= 0x00080000; break;
    case 15: s.flags |= 0x00800000; break;
    case 16: {
      StatedDate x = parse_date(v);
      if (std::tie(x.year, x.month, x.day, x.hour, x.minute, x.second) <
          std::tie(now.year, now.month, now.day, now.hour, now.minute, now.second))
        s.flags |= 0x00000010;
      break;
    }
    case 17: vtflags_rule(s, v); break;
    case 19: s.flags |= 0x08000000; break;
    case 20: content_type_rule(s, v); break;
    case 22: s.flags |= 0x00000400; break;
    case 23: from_rule(s, v); break;
    case 25:
      if (parse_number(v.c_str()) == 1) s.flags |= 0x00400000;
      break;
    case 26:
      if (istarts_with(v, "HIGH")) s.flags |= 0x00400000;
      break;
    case 27: case 28:
      s.flags |= 0x02000000;
      st.trace_names = false;
      break;
    default: break;
  }
}

void header_line(MessageSummary& s, State& st, const std::string& line, const ClockFields& now) {
  if (line.empty() || line[0] == ' ' || line[0] == '\t') return;
  std::size_t colon = line.find(':');
  if (colon == std::string::npos) return;
  std::string name = line.substr(0, colon);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\r' || name.back() == '\n'))
    name.pop_back();
  std::size_t v = colon + 1;
  while (v < line.size() && (line[v] == ' ' || line[v] == '\t')) ++v;
  name = upper(name);
  for (int no = 0; no < 29; ++no) {
    if ((no == 27 || no == 28) && !st.trace_names) continue;
    if (name == kNames[no]) {
      apply(s, st, no, line.substr(v), now);
      return;
    }
  }
}

}  // namespace

ClockFields local_clock() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return {tm.tm_year, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool parse_message(ByteReader& in, MessageSummary& s, const ClockFields& now) {
  std::string line;
  bool at_end = false;
  bool more = read_header_line(in, line, at_end);
  if (!line.empty() && (static_cast<unsigned char>(line[0]) == 0x03 || istarts_with(line, "SMF-71"))) return false;
  State st;
  while (more) {
    header_line(s, st, line, now);
    more = read_header_line(in, line, at_end);
  }
  if (st.confirm && ((s.flags & 0x00000400) || !st.resent)) s.flags |= 0x00002000;
  if (!(s.flags & 0x20000000)) {
    for (int i = 0; i < 20 && read_raw_line(in, line); ++i) {
      if (line.compare(0, 6, "begin ") == 0) {
        std::size_t k = 5;
        while (k < line.size() && line[k] == ' ') ++k;
        if (k < line.size() && std::isdigit(static_cast<unsigned char>(line[k]))) {
          s.flags |= 0x08000002;
          break;
        }
      }
      if (istarts_with(line, "(THIS FILE MUST BE CONVERTED WITH BINHEX")) {
        s.flags |= 0x08800000;
        break;
      }
      if (line.find("{\\rtf") != std::string::npos) s.flags |= 0x00010000;
    }
  }
  if (s.from.empty()) s.from = "Unknown";
  if (s.subject.empty()) s.subject = "(None)";
  return true;
}

}  // namespace foldmend
