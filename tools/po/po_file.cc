#include "po_file.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstring>

#include "quoted_lines.h"

namespace qokit::po {

namespace {

constexpr std::size_t kWidth = 79;

bool StartsWith(std::string_view line, std::string_view word) { return line.substr(0, word.size()) == word; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Appends the bytes of one C string literal (`s` starts at its opening
// quote, and nothing but blanks may follow its closing one).
bool Unquote(std::string_view s, std::string& out, std::string& what) {
  s = Trim(s);
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') {
    what = "a string must be written in double quotes on one line";
    return false;
  }
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      what = "a double quote inside a string must be written \\\"";
      return false;
    }
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    if (i + 2 >= s.size()) {
      what = "a string ends in a backslash";
      return false;
    }
    const char e = s[++i];
    switch (e) {
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case 'a': out.push_back('\a'); break;
      case 'b': out.push_back('\b'); break;
      case 'f': out.push_back('\f'); break;
      case 'v': out.push_back('\v'); break;
      case '\\': case '"': case '\'': case '?': out.push_back(e); break;
      case 'x': {
        int value = 0, digits = 0;
        // Every hex digit belongs to the escape; past 0xFF the value only
        // needs to stay too big, not to grow without bound.
        while (i + 2 < s.size() && HexValue(s[i + 1]) >= 0) {
          value = std::min(value * 16 + HexValue(s[++i]), 0x100);
          ++digits;
        }
        if (digits == 0 || value > 0xFF) {
          what = "a \\x escape needs one or two hexadecimal digits";
          return false;
        }
        out.push_back(static_cast<char>(value));
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          int value = e - '0';
          for (int n = 1; n < 3 && i + 2 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7'; ++n) {
            value = value * 8 + (s[++i] - '0');
          }
          if (value > 0xFF) {
            what = "an octal escape above \\377";
            return false;
          }
          out.push_back(static_cast<char>(value));
          break;
        }
        what.assign("unknown escape sequence \\").append(1, e);
        return false;
    }
  }
  return true;
}

void EscapeOne(std::string& out, char c) {
  switch (c) {
    case '"': out.append("\\\""); break;
    case '\\': out.append("\\\\"); break;
    case '\n': out.append("\\n"); break;
    case '\t': out.append("\\t"); break;
    case '\r': out.append("\\r"); break;
    case '\a': out.append("\\a"); break;
    case '\b': out.append("\\b"); break;
    case '\f': out.append("\\f"); break;
    case '\v': out.append("\\v"); break;
    default:
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        const char octal[] = {'\\', static_cast<char>('0' + ((c >> 6) & 3)), static_cast<char>('0' + ((c >> 3) & 7)),
                              static_cast<char>('0' + (c & 7))};
        out.append(octal, sizeof octal);
      } else {
        out.push_back(c);
      }
  }
}

void WriteString(std::string& out, std::string_view keyword, std::string_view bytes) {
  const std::vector<std::string> lines = format::QuotedLines(bytes, EscapeOne, kWidth - 2);
  if (lines.size() == 1 && keyword.size() + 3 + lines[0].size() <= kWidth) {
    out.append(keyword).append(" \"").append(lines[0]).append("\"\n");
    return;
  }
  out.append(keyword).append(" \"\"\n");
  for (const std::string& line : lines) out.append(1, '"').append(line).append("\"\n");
}

void WriteComments(std::string& out, std::string_view mark, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    out.append(mark);
    if (!line.empty()) out.append(1, ' ').append(line);
    out.append(1, '\n');
  }
}

}  // namespace

bool PoEntry::HasFlag(std::string_view flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

bool ReadPo(std::string_view text, std::vector<PoEntry>& entries, PoSyntaxError& error) {
  entries.clear();
  PoEntry entry;
  bool any = false;           // the entry has a keyword
  bool has_msgid = false;
  std::string* target = nullptr;  // where continuation strings go
  enum class Part { kNone, kContext, kId, kPlural, kStr } last = Part::kNone;
  const auto fail = [&](long line, std::string what) {
    error = PoSyntaxError{line, std::move(what)};
    return false;
  };
  long line_number = 0;
  const auto finish = [&]() -> bool {
    if (!any) return true;
    if (!has_msgid || entry.msgstr.empty()) return fail(entry.line, "an entry needs a msgid and a msgstr");
    entries.push_back(std::move(entry));
    entry = PoEntry{};
    any = has_msgid = false;
    target = nullptr;
    last = Part::kNone;
    return true;
  };
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    const std::string_view raw = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++line_number;
    const std::string_view line = Trim(raw);
    if (line.empty()) {
      if (!finish()) return false;
      continue;
    }
    if (line[0] == '#') {
      if (last == Part::kStr && !finish()) return false;
      if (any) return fail(line_number, "a comment inside an entry");
      std::string_view body = line.substr(1);
      const char kind = body.empty() ? ' ' : body[0];
      if (kind == '.' || kind == ':' || kind == ',' || kind == '|' || kind == '~') body.remove_prefix(1);
      body = Trim(body);
      switch (kind) {
        case '.': entry.extracted.emplace_back(body); break;
        case ':': entry.references.emplace_back(body); break;
        case ',': {
          std::size_t start = 0;
          while (start <= body.size()) {
            std::size_t comma = body.find(',', start);
            if (comma == std::string_view::npos) comma = body.size();
            const std::string_view flag = Trim(body.substr(start, comma - start));
            if (!flag.empty()) entry.flags.emplace_back(flag);
            start = comma + 1;
          }
          break;
        }
        case '|': case '~': break;  // previous strings and obsolete entries
        default: entry.comments.emplace_back(body); break;
      }
      continue;
    }
    if (line[0] == '"') {
      if (target == nullptr) return fail(line_number, "a string without a keyword before it");
      std::string what;
      if (!Unquote(line, *target, what)) return fail(line_number, what);
      continue;
    }
    const std::size_t space = line.find_first_of(" \t\"");
    const std::string_view keyword = line.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? std::string_view{} : line.substr(space);
    Part part;
    if (keyword == "msgctxt") {
      if (last == Part::kStr && !finish()) return false;
      if (any) return fail(line_number, "msgctxt must come first in an entry");
      entry.has_context = true;
      target = &entry.context;
      part = Part::kContext;
    } else if (keyword == "msgid") {
      if (last == Part::kStr && !finish()) return false;
      if (has_msgid) return fail(line_number, "a second msgid in one entry");
      has_msgid = true;
      target = &entry.msgid;
      part = Part::kId;
    } else if (keyword == "msgid_plural") {
      if (last != Part::kId) return fail(line_number, "msgid_plural must follow the msgid");
      entry.has_plural = true;
      target = &entry.msgid_plural;
      part = Part::kPlural;
    } else if (keyword == "msgstr" || StartsWith(keyword, "msgstr[")) {
      if (!has_msgid) return fail(line_number, "msgstr without a msgid");
      const bool indexed = keyword != "msgstr";
      if (indexed != entry.has_plural) {
        return fail(line_number, indexed ? "msgstr[n] without msgid_plural" : "msgid_plural needs msgstr[n]");
      }
      if (indexed && keyword != std::string("msgstr[").append(std::to_string(entry.msgstr.size())).append("]")) {
        return fail(line_number, "msgstr[n] out of order");
      }
      if (!indexed && !entry.msgstr.empty()) return fail(line_number, "a second msgstr in one entry");
      if (entry.msgstr.empty()) entry.msgstr_line = line_number;
      entry.msgstr.emplace_back();
      target = &entry.msgstr.back();
      part = Part::kStr;
    } else {
      return fail(line_number, "a line that is no comment, keyword or string");
    }
    if (!any) entry.line = line_number;
    any = true;
    last = part;
    std::string what;
    if (!Unquote(rest, *target, what)) return fail(line_number, what);
  }
  return finish();
}

std::string HeaderField(const PoEntry& header, std::string_view name) {
  if (header.msgstr.empty()) return {};
  const std::string_view text = header.msgstr[0];
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    const std::string_view line = text.substr(pos, eol - pos);
    pos = eol + 1;
    if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == ':') {
      return std::string(Trim(line.substr(name.size() + 1)));
    }
  }
  return {};
}

std::string HeaderCharset(const PoEntry& header) {
  const std::string type = HeaderField(header, "Content-Type");
  const std::size_t at = type.find("charset=");
  if (at == std::string::npos) return {};
  std::string charset = type.substr(at + 8);
  charset.resize(std::min(charset.size(), charset.find_first_of("; \t")));
  for (char& c : charset) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return charset;
}

bool ConvertToUtf8(std::string& text, const std::string& charset, std::string& problem) {
  const iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    problem.assign("the charset ").append(charset).append(" is unknown to iconv");
    return false;
  }
  std::string out(text.size() * 4 + 16, '\0');
  char* in = text.data();
  std::size_t in_left = text.size();
  char* to = out.data();
  std::size_t out_left = out.size();
  const std::size_t done = iconv(cd, &in, &in_left, &to, &out_left);
  const int saved = errno;
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) {
    problem.assign("the text is not in the charset ").append(charset).append(": ").append(std::strerror(saved));
    return false;
  }
  out.resize(out.size() - out_left);
  text = std::move(out);
  return true;
}

std::string EscapePo(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) EscapeOne(out, c);
  return out;
}

void WritePoEntry(std::string& out, const PoEntry& entry) {
  WriteComments(out, "#", entry.comments);
  WriteComments(out, "#.", entry.extracted);
  WriteComments(out, "#:", entry.references);
  if (!entry.flags.empty()) {
    out.append("#,");
    for (std::size_t i = 0; i < entry.flags.size(); ++i) out.append(i == 0 ? " " : ", ").append(entry.flags[i]);
    out.append(1, '\n');
  }
  if (entry.has_context) WriteString(out, "msgctxt", entry.context);
  WriteString(out, "msgid", entry.msgid);
  if (entry.has_plural) {
    WriteString(out, "msgid_plural", entry.msgid_plural);
    for (std::size_t i = 0; i < entry.msgstr.size(); ++i) {
      WriteString(out, std::string("msgstr[").append(std::to_string(i)).append("]"), entry.msgstr[i]);
    }
  } else {
    WriteString(out, "msgstr", entry.msgstr.empty() ? std::string() : entry.msgstr[0]);
  }
}

}  // namespace qokit::po
