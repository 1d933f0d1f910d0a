#include "po_file.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "quoted_lines.h"
#include "utf8.h"

namespace qokit::po {

namespace {

constexpr std::size_t kWidth = kPoWidth;

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

// Whether any byte is one that a string literal escapes (or, with
// `ascii_only`, any byte above 0x7E): most texts have none, so the bytes are
// looked at sixteen at a time (GCC's and Clang's vector extension, which
// becomes SSE2 on x86-64), the last block overlapping the one before it, a
// short text padded with a letter.
template <bool ascii_only>
bool AnyEscaped(std::string_view bytes) {
  using Block = unsigned char __attribute__((vector_size(16)));
  const auto escaped = [](const char* at) {
    Block b;
    std::memcpy(&b, at, sizeof b);
    const Block hit = (b < 0x20) | (ascii_only ? b >= 0x7F : b == 0x7F) | (b == '"') | (b == '\\');
    uint64_t halves[2];
    std::memcpy(halves, &hit, sizeof halves);
    return (halves[0] | halves[1]) != 0;
  };
  const std::size_t n = bytes.size();
  if (n < sizeof(Block)) {
    char padded[sizeof(Block)];
    std::memset(padded, 'a', sizeof padded);
    if (n > 0) std::memcpy(padded, bytes.data(), n);
    return escaped(padded);
  }
  for (std::size_t i = 0; i + sizeof(Block) < n; i += sizeof(Block)) {
    if (escaped(bytes.data() + i)) return true;
  }
  return escaped(bytes.data() + n - sizeof(Block));
}

// Whether every byte stands for itself inside a string literal.
bool NeedsNoEscape(std::string_view bytes) { return !AnyEscaped<false>(bytes); }

}  // namespace

namespace {

// `plain`: NeedsNoEscape(bytes), when it fits one line with the keyword.
void WriteString(std::string& out, std::string_view keyword, std::string_view bytes, bool plain) {
  // Most texts fit one line as they are: the layout below would give the same.
  if (plain) {
    const std::size_t at = out.size();
    out.resize(at + keyword.size() + bytes.size() + 4);
    PutPlainPoString(out.data() + at, keyword, bytes);
    return;
  }
  const std::vector<std::string> lines = format::QuotedLines(bytes, EscapeOne, kWidth - 2);
  if (lines.size() == 1 && keyword.size() + 3 + lines[0].size() <= kWidth) {
    out.append(keyword).append(" \"").append(lines[0]).append("\"\n");
    return;
  }
  out.append(keyword).append(" \"\"\n");
  for (const std::string& line : lines) out.append(1, '"').append(line).append("\"\n");
}

bool Fits(std::string_view keyword, std::string_view bytes) { return keyword.size() + 3 + bytes.size() <= kWidth; }

}  // namespace

bool NeedsNoPoEscape(std::string_view bytes) { return NeedsNoEscape(bytes); }

bool IsPlainAscii(std::string_view bytes) { return !AnyEscaped<true>(bytes); }

bool IsPlainPoString(std::string_view keyword, std::string_view bytes) {
  return Fits(keyword, bytes) && NeedsNoEscape(bytes);
}

void WritePoString(std::string& out, std::string_view keyword, std::string_view bytes) {
  WriteString(out, keyword, bytes, IsPlainPoString(keyword, bytes));
}

void WritePoMsgidMsgstr(std::string& out, std::string_view msgid, bool msgstr_is_msgid) {
  // The bytes are looked at once for both.
  const bool plain = Fits("msgid", msgid) && NeedsNoEscape(msgid);
  WriteString(out, "msgid", msgid, plain);
  if (msgstr_is_msgid) {
    WriteString(out, "msgstr", msgid, plain && Fits("msgstr", msgid));
  } else {
    out.append("msgstr \"\"\n");
  }
}

void WritePoComment(std::string& out, std::string_view mark, std::string_view line) {
  out.append(mark);
  if (!line.empty()) out.append(1, ' ').append(line);
  out.append(1, '\n');
}

bool PoEntry::HasFlag(std::string_view flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

PoReader::PoReader(std::string_view text, PoDecoding decoding, std::size_t offset, long line)
    : text_(text), decoding_(std::move(decoding)), pos_(offset), line_(line) {}

bool PoReader::Fail(PoSyntaxError& error, long line, std::string what) {
  error = PoSyntaxError{line, std::move(what)};
  failed_ = true;
  return false;
}

// Appends the bytes of one C string literal (`s` starts at its opening
// quote, and nothing but blanks may follow its closing one). Bytes written
// as \x or octal escapes are in the file's charset: each run of them is
// converted as one piece.
bool PoReader::Unquote(std::string_view s, std::string& out, std::string& what) const {
  s = Trim(s);
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') {
    what = "a string must be written in double quotes on one line";
    return false;
  }
  const std::string_view escape = decoding_.escape;
  std::string bytes;  // escaped bytes not yet converted
  const auto flush = [&]() {
    if (bytes.empty()) return true;
    std::size_t bad = 0;
    const bool ok = decoding_.bytes != nullptr ? decoding_.bytes->Convert(bytes, out, bad)
                                               : qokit::format::InvalidUtf8Offset(bytes) < 0;
    if (ok && decoding_.bytes == nullptr) out.append(bytes);
    bytes.clear();
    if (!ok) what = "escaped bytes that are no character of the file's charset";
    return ok;
  };
  const std::size_t end = s.size() - 1;
  std::size_t i = 1;
  while (i < end) {
    // A run of bytes that stand for themselves is copied at once.
    std::size_t stop = i;
    while (stop < end && s[stop] != '"' && s[stop] != escape[0]) ++stop;
    if (stop > i) {
      if (!flush()) return false;
      out.append(s.substr(i, stop - i));
      i = stop;
      continue;
    }
    const char c = s[i];
    if (c == '"') {
      what = "a double quote inside a string must be written \\\"";
      return false;
    }
    if (s.compare(i, escape.size(), escape) != 0) {
      if (!flush()) return false;
      out.push_back(c);
      ++i;
      continue;
    }
    i += escape.size();
    if (i >= end) {
      what = "a string ends in a backslash";
      return false;
    }
    if (s.compare(i, escape.size(), escape) == 0) {
      // The escape character stands for itself as the file's charset has it.
      if (!flush()) return false;
      out.append(escape);
      i += escape.size();
      continue;
    }
    const char e = s[i++];
    char plain = 0;
    switch (e) {
      case 'n': plain = '\n'; break;
      case 't': plain = '\t'; break;
      case 'r': plain = '\r'; break;
      case 'a': plain = '\a'; break;
      case 'b': plain = '\b'; break;
      case 'f': plain = '\f'; break;
      case 'v': plain = '\v'; break;
      case '"': case '\'': case '?': plain = e; break;
      case 'x': {
        int value = 0, digits = 0;
        // Every hex digit belongs to the escape; past 0xFF the value only
        // needs to stay too big, not to grow without bound.
        while (i < end && HexValue(s[i]) >= 0) {
          value = std::min(value * 16 + HexValue(s[i++]), 0x100);
          ++digits;
        }
        if (digits == 0 || value > 0xFF) {
          what = "a \\x escape needs one or two hexadecimal digits";
          return false;
        }
        bytes.push_back(static_cast<char>(value));
        continue;
      }
      default:
        if (e >= '0' && e <= '7') {
          int value = e - '0';
          for (int n = 1; n < 3 && i < end && s[i] >= '0' && s[i] <= '7'; ++n) value = value * 8 + (s[i++] - '0');
          if (value > 0xFF) {
            what = "an octal escape above \\377";
            return false;
          }
          bytes.push_back(static_cast<char>(value));
          continue;
        }
        what.assign("unknown escape sequence ").append(escape).append(1, e);
        return false;
    }
    if (!flush()) return false;
    out.push_back(plain);
  }
  return flush();
}

bool PoReader::Next(PoEntry& entry, PoSyntaxError& error) {
  entry = PoEntry{};
  if (failed_) return false;
  bool any = false;  // the entry has a keyword
  bool has_msgid = false;
  std::string* target = nullptr;  // where continuation strings go
  enum class Part { kNone, kContext, kId, kPlural, kStr } last = Part::kNone;
  // Whether the entry is complete; false with the error when it is not.
  const auto complete = [&]() -> bool {
    if (!has_msgid || entry.msgstr.empty()) return Fail(error, entry.line, "an entry needs a msgid and a msgstr");
    return true;
  };
  while (pos_ < text_.size()) {
    const std::size_t start = pos_;
    std::size_t eol = text_.find('\n', pos_);
    if (eol == std::string_view::npos) eol = text_.size();
    const std::string_view line = Trim(text_.substr(pos_, eol - pos_));
    pos_ = eol + 1;
    ++line_;
    // A line that begins the next entry is read again by the next call.
    const auto give_back = [&]() {
      pos_ = start;
      --line_;
    };
    if (line.empty()) {
      if (any) return complete();
      continue;
    }
    if (line[0] == '#') {
      if (last == Part::kStr) {
        give_back();
        return complete();
      }
      if (any) return Fail(error, line_, "a comment inside an entry");
      std::string_view body = line.substr(1);
      const char kind = body.empty() ? ' ' : body[0];
      if (kind == '.' || kind == ':' || kind == ',' || kind == '|' || kind == '~') body.remove_prefix(1);
      body = Trim(body);
      switch (kind) {
        case '.': entry.extracted.emplace_back(body); break;
        case ':': entry.references.emplace_back(body); break;
        case ',': {
          std::size_t from = 0;
          while (from <= body.size()) {
            std::size_t comma = body.find(',', from);
            if (comma == std::string_view::npos) comma = body.size();
            const std::string_view flag = Trim(body.substr(from, comma - from));
            if (!flag.empty()) entry.flags.emplace_back(flag);
            from = comma + 1;
          }
          break;
        }
        case '|': case '~': break;  // previous strings and obsolete entries
        default: entry.comments.emplace_back(body); break;
      }
      continue;
    }
    if (line[0] == '"') {
      if (target == nullptr) return Fail(error, line_, "a string without a keyword before it");
      std::string what;
      if (!Unquote(line, *target, what)) return Fail(error, line_, what);
      continue;
    }
    const std::size_t space = line.find_first_of(" \t\"");
    const std::string_view keyword = line.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? std::string_view{} : line.substr(space);
    if ((keyword == "msgctxt" || keyword == "msgid") && last == Part::kStr) {
      give_back();
      return complete();
    }
    Part part;
    if (keyword == "msgctxt") {
      if (any) return Fail(error, line_, "msgctxt must come first in an entry");
      entry.has_context = true;
      target = &entry.context;
      part = Part::kContext;
    } else if (keyword == "msgid") {
      if (has_msgid) return Fail(error, line_, "a second msgid in one entry");
      has_msgid = true;
      target = &entry.msgid;
      part = Part::kId;
    } else if (keyword == "msgid_plural") {
      if (last != Part::kId) return Fail(error, line_, "msgid_plural must follow the msgid");
      entry.has_plural = true;
      target = &entry.msgid_plural;
      part = Part::kPlural;
    } else if (keyword == "msgstr" || StartsWith(keyword, "msgstr[")) {
      if (!has_msgid) return Fail(error, line_, "msgstr without a msgid");
      const bool indexed = keyword != "msgstr";
      if (indexed != entry.has_plural) {
        return Fail(error, line_, indexed ? "msgstr[n] without msgid_plural" : "msgid_plural needs msgstr[n]");
      }
      if (indexed && keyword != std::string("msgstr[").append(std::to_string(entry.msgstr.size())).append("]")) {
        return Fail(error, line_, "msgstr[n] out of order");
      }
      if (!indexed && !entry.msgstr.empty()) return Fail(error, line_, "a second msgstr in one entry");
      if (entry.msgstr.empty()) entry.msgstr_line = line_;
      entry.msgstr.emplace_back();
      target = &entry.msgstr.back();
      part = Part::kStr;
    } else {
      return Fail(error, line_, "a line that is no comment, keyword or string");
    }
    if (!any) entry.line = line_;
    any = true;
    last = part;
    std::string what;
    if (!Unquote(rest, *target, what)) return Fail(error, line_, what);
  }
  return any && complete();
}

bool ReadPo(std::string_view text, std::vector<PoEntry>& entries, PoSyntaxError& error, const PoDecoding& decoding) {
  entries.clear();
  PoReader reader(text, decoding);
  PoEntry entry;
  while (reader.Next(entry, error)) entries.push_back(std::move(entry));
  return !reader.failed();
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

std::string EscapePo(std::string_view bytes) {
  std::string out;
  AppendEscapedPo(out, bytes);
  return out;
}

void AppendEscapedPo(std::string& out, std::string_view bytes) {
  if (NeedsNoEscape(bytes)) {
    out.append(bytes);
    return;
  }
  for (const char c : bytes) EscapeOne(out, c);
}

void WritePoEntry(std::string& out, const PoEntry& entry) {
  for (const std::string& line : entry.comments) WritePoComment(out, "#", line);
  for (const std::string& line : entry.extracted) WritePoComment(out, "#.", line);
  for (const std::string& line : entry.references) WritePoComment(out, "#:", line);
  if (!entry.flags.empty()) {
    out.append("#,");
    for (std::size_t i = 0; i < entry.flags.size(); ++i) out.append(i == 0 ? " " : ", ").append(entry.flags[i]);
    out.append(1, '\n');
  }
  if (entry.has_context) WritePoString(out, "msgctxt", entry.context);
  WritePoString(out, "msgid", entry.msgid);
  if (entry.has_plural) {
    WritePoString(out, "msgid_plural", entry.msgid_plural);
    for (std::size_t i = 0; i < entry.msgstr.size(); ++i) {
      WritePoString(out, std::string("msgstr[").append(std::to_string(i)).append("]"), entry.msgstr[i]);
    }
  } else {
    WritePoString(out, "msgstr", entry.msgstr.empty() ? std::string() : entry.msgstr[0]);
  }
}

}  // namespace qokit::po
