#include "message_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace kittest {

namespace {

class Reader {
 public:
  explicit Reader(const std::string& s) : s_(s) {}

  // Skips white space and comments; false at the end.
  bool SkipBlank() {
    for (;;) {
      while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
      if (s_.compare(pos_, 2, "/*") != 0) return pos_ < s_.size();
      const std::size_t end = s_.find("*/", pos_ + 2);
      pos_ = end == std::string::npos ? s_.size() : end + 2;
    }
  }
  char Peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }
  char Next() { return pos_ < s_.size() ? s_[pos_++] : '\0'; }
  std::string While(int (*pred)(int)) {
    const std::size_t start = pos_;
    while (pos_ < s_.size() && (pred(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) ++pos_;
    return s_.substr(start, pos_ - start);
  }
  // Bytes up to `close`, with the source escapes replaced.
  std::string Until(char close) {
    std::string out;
    for (char c = Next(); c != close && c != '\0'; c = Next()) {
      if (c != '\\') {
        out += c;
        continue;
      }
      static const std::map<char, char> kEscapes = {{'"', '"'}, {'\'', '\''}, {'?', '?'}, {'\\', '\\'},
                                                    {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
                                                    {'r', '\r'}, {'s', ' '},  {'t', '\t'}, {'v', '\v'}};
      const auto e = kEscapes.find(Peek());
      if (e == kEscapes.end()) {
        out += c;
      } else {
        out += e->second;
        ++pos_;
      }
    }
    return out;
  }

 private:
  const std::string& s_;
  std::size_t pos_ = 0;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <typename T>
std::string Print(const std::string& conversion, const std::vector<int>& stars, T value) {
  char buf[2048];
  if (stars.empty()) std::snprintf(buf, sizeof buf, conversion.c_str(), value);
  if (stars.size() == 1) std::snprintf(buf, sizeof buf, conversion.c_str(), stars[0], value);
  if (stars.size() == 2) std::snprintf(buf, sizeof buf, conversion.c_str(), stars[0], stars[1], value);
  return buf;
}
#pragma GCC diagnostic pop

std::string Unpercent(const std::string& literal) {
  std::string out;
  for (std::size_t i = 0; i < literal.size(); ++i) {
    out += literal[i];
    if (literal[i] == '%' && i + 1 < literal.size() && literal[i + 1] == '%') ++i;
  }
  return out;
}

}  // namespace

std::vector<SourceEntry> ParseMessageSource(const std::string& source) {
  std::vector<SourceEntry> entries;
  Reader r(source);
  while (r.SkipBlank()) {
    SourceEntry e;
    const std::string digits = r.While(isdigit);
    EXPECT_FALSE(digits.empty()) << "entry " << entries.size();
    if (digits.empty()) break;
    e.number = std::stol(digits);
    r.SkipBlank();
    e.severity = r.Next();
    r.SkipBlank();
    e.symbol = r.While(isalnum);
    r.SkipBlank();
    if (r.Peek() == '[') {
      r.Next();
      e.response = r.Until(']');
      r.SkipBlank();
    }
    while (r.Peek() == '"') {
      r.Next();
      e.text += r.Until('"');
      r.SkipBlank();
    }
    entries.push_back(e);
  }
  return entries;
}

Expectation ExpectedFormatting(const std::string& text) {
  struct Insert {
    std::string conversion;
    std::string printed;
  };
  std::map<int, std::vector<qomsg_arg>> by_argument;
  std::vector<std::string> pieces;
  std::vector<Insert> inserts;
  std::size_t pos = 0;
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', pos)) {
    pieces.push_back(text.substr(pos, at - pos));
    std::size_t i = at + 1;
    int n = 0;
    while (std::isdigit(static_cast<unsigned char>(text[i]))) n = n * 10 + (text[i++] - '0');
    const std::size_t end = text.find_first_of("cdeEfgGiopsuxX", i + 1);
    const std::string conversion = text.substr(i, end + 1 - i);
    pos = end + 1;
    const char letter = conversion.back();
    const bool is_long = conversion[conversion.size() - 2] == 'l';
    std::vector<int> stars;
    std::vector<qomsg_arg> args;
    for (char c : conversion) {
      if (c != '*') continue;
      stars.push_back(static_cast<int>(stars.size()) == 0 ? 7 + n : 2);
      qomsg_arg star{};
      star.type = QOMSG_ARG_INT;
      star.v.i = stars.back();
      args.push_back(star);
    }
    qomsg_arg value{};
    std::string printed;
    if (std::string("eEfgG").find(letter) != std::string::npos) {
      value.type = QOMSG_ARG_DOUBLE;
      value.v.d = n * 1234.5678 + 0.25;
      printed = Print(conversion, stars, value.v.d);
    } else if (letter == 's') {
      static const char* const kStrings[] = {"alpha", "", "a longer argument string", "x%dy"};
      value.type = QOMSG_ARG_POINTER;
      value.v.p = kStrings[n % 4];
      printed = Print(conversion, stars, static_cast<const char*>(value.v.p));
    } else if (letter == 'p') {
      value.type = QOMSG_ARG_POINTER;
      value.v.p = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(0x1000 + n));
      printed = Print(conversion, stars, value.v.p);
    } else if (is_long) {
      value.type = QOMSG_ARG_LONG;
      value.v.l = (n % 2 ? -1L : 1L) * (5000000000L + n);
      printed = Print(conversion, stars, value.v.l);
    } else {
      value.type = QOMSG_ARG_INT;
      value.v.i = letter == 'c' ? 'A' + n : (n % 2 ? -1 : 1) * (70000 + n);
      printed = Print(conversion, stars, value.v.i);
    }
    args.push_back(value);
    by_argument[n] = args;
    inserts.push_back({conversion, printed});
  }
  pieces.push_back(text.substr(pos));
  Expectation e;
  for (auto& [n, args] : by_argument) e.args.insert(e.args.end(), args.begin(), args.end());
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    e.text += Unpercent(pieces[i]);
    if (i < inserts.size()) e.text += inserts[i].printed;
  }
  return e;
}

}  // namespace kittest
