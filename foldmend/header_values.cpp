#include "header_values.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "winfs.h"

namespace foldmend {

long long parse_number(const char* s, const char** end) {
  while (*s == ' ' || *s == '\t') ++s;
  bool neg = false;
  if (*s == '+' || *s == '-') neg = *s++ == '-';
  long long v = 0;
  while (std::isdigit(static_cast<unsigned char>(*s))) {
    if (v < 0x100000000LL) v = v * 10 + (*s - '0');
    ++s;
  }
  if (v > 0xFFFFFFFFLL) v = 0xFFFFFFFFLL;
  if (end) *end = s;
  return neg ? -v : v;
}

static int b64(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

static int hexval(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

static bool decode_one(const std::string& enc, bool qp, std::string& out) {
  if (qp) {
    for (std::size_t i = 0; i < enc.size(); ++i) {
      char c = enc[i];
      if (c == '=' && i + 2 < enc.size() && hexval(enc[i + 1]) >= 0 && hexval(enc[i + 2]) >= 0) {
        out += static_cast<char>(hexval(enc[i + 1]) * 16 + hexval(enc[i + 2]));
        i += 2;
      } else if (c == '_') {
        out += ' ';
      } else {
        out += c;
      }
    }
    return true;
  }
  unsigned acc = 0;
  int n = 0;
  for (char c : enc) {
    if (c == '\r' || c == '\n') continue;
    if (c == '=') break;
    int v = b64(c);
    if (v < 0) continue;
    acc = (acc << 6) | static_cast<unsigned>(v);
    if (++n == 4) {
      out += static_cast<char>((acc >> 16) & 0xFF);
      out += static_cast<char>((acc >> 8) & 0xFF);
      out += static_cast<char>(acc & 0xFF);
      acc = 0;
      n = 0;
    }
  }
  // A group cut short by padding still carries its whole bytes.
  if (n == 2) out += static_cast<char>((acc >> 4) & 0xFF);
  if (n == 3) {
    out += static_cast<char>((acc >> 10) & 0xFF);
    out += static_cast<char>((acc >> 2) & 0xFF);
  }
  return true;
}

bool decode_words(const std::string& t, std::string& out) {
  out.clear();
  int words = 0;
  std::size_t i = 0;
  while (i < t.size()) {
    if (t[i] == '=' && i + 1 < t.size() && t[i + 1] == '?') {
      std::size_t q1 = t.find('?', i + 2);  // end of charset
      if (q1 == std::string::npos || q1 + 2 >= t.size() || t[q1 + 2] != '?') return false;
      bool qp = t[q1 + 1] == 'Q' || t[q1 + 1] == 'q';
      std::size_t start = q1 + 3;
      std::size_t close = t.find("?=", start);
      if (close == std::string::npos) return false;
      std::size_t len = close - start;
      if (len == 0 || len > 75) return false;
      decode_one(t.substr(start, len), qp, out);
      ++words;
      i = close + 2;
      std::size_t j = i;
      while (j < t.size() && (t[j] == ' ' || t[j] == '\t' || t[j] == '\r' || t[j] == '\n')) ++j;
      if (j + 1 < t.size() && t[j] == '=' && t[j + 1] == '?') i = j;
    } else if (t[i] == '=') {
      out += t[i++];
      if (i < t.size()) out += t[i++];
    } else {
      out += t[i++];
    }
    if (out.size() > 15000) out.resize(15000);
  }
  return words > 0;
}

static void rtrim(std::string& s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.pop_back();
}

std::string display_name(const std::string& text) {
  std::string copy;
  bool quoted = false;
  int angle = 0;
  for (std::size_t i = 0; i < text.size() && copy.size() < 1008; ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '\\' && i + 1 < text.size()) {
        copy += c;
        copy += text[++i];
      } else if (c == '"') {
        copy += c;
        quoted = false;
      } else if (c != '<' && c != '>') {
        copy += c;
      }
      continue;
    }
    if (c == '<') {
      ++angle;
    } else if (c == '>') {
      if (angle > 0) --angle;
    } else if (angle > 0) {
      // inside angle brackets: left out
    } else if (c == '"') {
      copy += c;
      quoted = true;
    } else if (c != '\\') {
      copy += c;
    }
  }
  std::string r;
  std::size_t q = copy.find('"');
  if (q != std::string::npos) {
    for (std::size_t i = q + 1; i < copy.size() && copy[i] != '"'; ++i) {
      if (copy[i] == '\\' && i + 1 < copy.size()) ++i;
      r += copy[i];
    }
  } else if ((q = copy.find('(')) != std::string::npos) {
    std::size_t e = copy.find(')', q + 1);
    r = copy.substr(q + 1, e == std::string::npos ? std::string::npos : e - q - 1);
  } else {
    std::size_t s = copy.find_first_not_of(' ');
    r = s == std::string::npos ? "" : copy.substr(s);
  }
  if (r.size() > 41) r.resize(41);
  rtrim(r);
  return r;
}

static bool is_ws(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string address_of(const std::string& text) {
  std::size_t s = 0;
  while (s < text.size() && is_ws(text[s])) ++s;
  std::string el = text.substr(s);
  {
    bool q = false;
    int paren = 0, brace = 0;
    for (std::size_t i = 0; i < el.size(); ++i) {
      char c = el[i];
      if (c == '"') q = !q;
      else if (q) continue;
      else if (c == '(') ++paren;
      else if (c == ')' && paren > 0) --paren;
      else if (c == '{') ++brace;
      else if (c == '}' && brace > 0) --brace;
      else if (c == ',' && paren == 0 && brace == 0) {
        el.resize(i);
        break;
      }
    }
  }
  std::string r;
  if (!el.empty() && el[0] != '@' && el.find(':') != std::string::npos &&
      (istarts_with(el, "IN:") || istarts_with(el, "SMTP:") || istarts_with(el, "VT:") || istarts_with(el, "MHS:"))) {
    r = el.substr(0, 40);
  } else {
    std::string noq;
    bool q = false;
    for (char c : el) {
      if (c == '"') q = !q;
      else if (!q) noq += c;
    }
    std::string rest;
    int depth = 0;
    for (char c : noq) {
      if (c == '(') ++depth;
      else if (c == ')' && depth > 0) --depth;
      else if (depth == 0) rest += c;
    }
    std::size_t lt = rest.find('<');
    std::size_t gt = lt == std::string::npos ? std::string::npos : rest.find('>', lt);
    if (lt != std::string::npos && gt != std::string::npos) {
      std::size_t at = rest.find(" @ ");
      if (at != std::string::npos && at < lt && rest.find(':', lt) != std::string::npos)
        r = el.substr(0, 40);
      else
        r = rest.substr(lt + 1, gt - lt - 1);
    } else {
      std::size_t k = 0;
      if (istarts_with(rest, "IN:") || istarts_with(rest, "VT:")) k = 3;
      else if (istarts_with(rest, "SMTP:")) k = 5;
      while (k < rest.size() && is_ws(rest[k])) ++k;
      r = rest.substr(k);
    }
    if (r.size() > 40) r.resize(40);
  }
  if (!r.empty() && r[0] == '@' && r.find('@', 1) == std::string::npos) {
    std::size_t pos = el.find(r);
    if (pos != std::string::npos) {
      std::size_t k = pos;
      while (k > 0 && is_ws(el[k - 1])) --k;
      if (k > 0 && el[k - 1] == '"') {
        std::size_t open = k >= 2 ? el.rfind('"', k - 2) : std::string::npos;
        if (open != std::string::npos) {
          r = "\"" + el.substr(open + 1, k - 2 - open) + "\"" + r;
          if (r.size() > 39) r.resize(39);
        }
      }
    }
  }
  rtrim(r);
  return r;
}

StatedDate parse_date(const std::string& text) {
  StatedDate d;
  std::vector<std::string> tokens;
  std::size_t i = 0;
  auto sep = [](char c) { return c == ',' || c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
  while (i < text.size() && tokens.size() < 10) {
    while (i < text.size() && sep(text[i])) ++i;
    if (i >= text.size()) break;
    std::size_t st = i;
    if (text[i] == '"') {
      std::size_t e = text.find('"', i + 1);
      i = e == std::string::npos ? text.size() : e + 1;
    } else {
      while (i < text.size() && !sep(text[i])) ++i;
    }
    tokens.push_back(text.substr(st, i - st));
  }
  bool have_day = false, have_year = false;
  static const char* zones[8] = {"EST", "EDT", "CST", "CDT", "MST", "MDT", "PST", "PDT"};
  static const int zone_vals[8] = {10, 8, 12, 10, 14, 12, 16, 14};
  static const char* days[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  auto clamp = [](long long v) { return static_cast<int>(v > 99999 ? 99999 : (v < -99999 ? -99999 : v)); };
  for (const auto& t : tokens) {
    if (t.find(':') != std::string::npos) {
      const char* p = t.c_str();
      const char* e;
      d.hour = clamp(parse_number(p, &e));
      p = std::strchr(p, ':');
      d.minute = clamp(parse_number(p + 1, &e));
      p = std::strchr(p + 1, ':');
      d.second = p ? clamp(parse_number(p + 1, &e)) : 0;
      continue;
    }
    std::string head = t.substr(0, 3);
    for (int m = 0; m < 12 && t.size() >= 3; ++m)
      if (iequals(head, kMonthNames[m])) d.month = m + 1;
    unsigned char c0 = static_cast<unsigned char>(t[0]);
    if (std::isdigit(c0)) {
      std::size_t nd = 0;
      while (nd < t.size() && std::isdigit(static_cast<unsigned char>(t[nd]))) ++nd;
      long long num = parse_number(t.c_str());
      if (nd >= 4) {
        d.year = static_cast<int>(num % 100);
        have_year = true;
      } else if (nd <= 2) {
        if (num >= 1 && num <= 31 && !have_day) {
          d.day = static_cast<int>(num);
          have_day = true;
        } else if (!have_year) {
          d.year = static_cast<int>(num);
          have_year = true;
        }
      }
    } else if ((c0 == '+' || c0 == '-') && t.size() > 1 && std::isdigit(static_cast<unsigned char>(t[1])) &&
               parse_number(t.c_str() + 1) <= 1400) {
      long long n = parse_number(t.c_str() + 1);
      long long minutes = (n / 100) * 60 + n % 100;
      if (c0 == '+') minutes = -minutes;
      d.zone = static_cast<int>(minutes / 30);
    } else {
      for (int z = 0; z < 8; ++z)
        if (iequals(head, zones[z])) d.zone = zone_vals[z];
      for (int w = 0; w < 7; ++w)
        if (iequals(head, days[w])) d.weekday = w;
    }
  }
  if (d.year < 80) d.year += 100;
  return d;
}

}  // namespace foldmend
