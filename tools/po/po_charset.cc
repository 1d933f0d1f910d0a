#include "po_charset.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "utf8.h"

namespace qokit::po {

namespace {

const iconv_t kNone = reinterpret_cast<iconv_t>(-1);  // what iconv_open returns on failure

std::string_view Line(std::string_view text, std::size_t& pos) {
  std::size_t eol = text.find('\n', pos);
  if (eol == std::string_view::npos) eol = text.size();
  const std::string_view line = text.substr(pos, eol - pos);
  pos = eol + 1;
  return line;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  return s;
}

long LineOf(std::string_view text, std::size_t offset) {
  return 1 + static_cast<long>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

}  // namespace

Utf8Converter::~Utf8Converter() {
  if (cd_ != kNone) iconv_close(cd_);
}

bool Utf8Converter::Open(const std::string& charset) {
  if (IsUtf8Charset(charset)) return true;
  cd_ = iconv_open("UTF-8", charset.c_str());
  return cd_ != kNone;
}

bool Utf8Converter::Convert(std::string_view in, std::string& out, std::size_t& bad) const {
  if (cd_ == kNone) {
    const long at = qokit::format::InvalidUtf8Offset(in);
    if (at >= 0) {
      bad = static_cast<std::size_t>(at);
      return false;
    }
    out.append(in);
    return true;
  }
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  char* from = const_cast<char*>(in.data());
  std::size_t from_left = in.size();
  // In pieces, so the output never needs more than the text and one piece.
  char piece[4096];
  while (true) {
    char* to = piece;
    std::size_t to_left = sizeof piece;
    const std::size_t done = iconv(cd_, from_left > 0 ? &from : nullptr, &from_left, &to, &to_left);
    const int saved = errno;
    out.append(piece, sizeof piece - to_left);
    if (done != static_cast<std::size_t>(-1)) {
      if (from_left == 0) break;
      continue;
    }
    if (saved == E2BIG) continue;
    bad = static_cast<std::size_t>(from - in.data());
    return false;
  }
  return true;
}

std::string DeclaredCharset(std::string_view text) {
  std::size_t pos = 0;
  bool in_header = false;
  while (pos < text.size()) {
    const std::string_view line = TrimLeft(Line(text, pos));
    if (line.empty() || line[0] == '\r') {
      if (in_header) break;
      continue;
    }
    if (line[0] == '#') continue;
    if (!in_header) {
      // The header is the first entry, and its msgid is empty.
      if (line.substr(0, 5) != "msgid" || TrimLeft(line.substr(5)).substr(0, 3) != "\"\"") return {};
      in_header = true;
      continue;
    }
    if (line.substr(0, 5) == "msgid" || line.substr(0, 7) == "msgctxt") break;
    const std::size_t at = line.find("charset=");
    if (at == std::string_view::npos) continue;
    std::string charset;
    for (std::size_t i = at + 8; i < line.size(); ++i) {
      const char c = line[i];
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.' && c != ':') break;
      charset.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return charset;
  }
  return {};
}

bool IsUtf8Charset(const std::string& charset) {
  return charset.empty() || charset == "UTF-8" || charset == "UTF8" || charset == "CHARSET";
}

bool DecodePoFile(std::string& text, const std::string& charset, Utf8Converter& converter, PoDecoding& decoding,
                  long& line, std::string& problem) {
  line = 0;
  if (!converter.Open(charset)) {
    problem.assign("the charset ").append(charset).append(" is unknown to iconv");
    return false;
  }
  const std::string shown = charset.empty() || charset == "CHARSET" ? std::string("UTF-8") : charset;
  std::size_t bad = 0;
  bool fits;
  if (IsUtf8Charset(charset)) {
    // UTF-8 is only checked: the text stays where it is.
    const long at = qokit::format::InvalidUtf8Offset(text);
    fits = at < 0;
    bad = static_cast<std::size_t>(std::max(at, 0L));
  } else {
    std::string converted;
    converted.reserve(text.size() + text.size() / 4);
    fits = converter.Convert(text, converted, bad);
    if (fits) text.swap(converted);
  }
  if (!fits) {
    line = LineOf(text, bad);
    problem.assign("a byte that is no character of the charset ").append(shown).append(", which the file declares");
    return false;
  }
  decoding.bytes = &converter;
  decoding.escape.clear();
  if (!converter.Convert("\\", decoding.escape, bad) || decoding.escape.empty()) decoding.escape.assign(1, '\\');
  return true;
}

}  // namespace qokit::po
