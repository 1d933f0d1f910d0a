#include "po_entry.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "source_reader.h"
#include "insert_syntax.h"
#include "utf8.h"

namespace qokit::po {

namespace {

constexpr char kCFormat[] = "c-format";
constexpr char kNoCFormat[] = "no-c-format";

// Writes a number in decimal at `to`, as std::to_string writes it; gives its end.
char* PutDecimal(char* to, long value) {
  char digits[24];
  char* const end = digits + sizeof digits;
  char* at = end;
  auto rest = value < 0 ? 0 - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
  do {
    *--at = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (value < 0) *--at = '-';
  return PutBytes(to, std::string_view(at, static_cast<std::size_t>(end - at)));
}

// Room for the facts comment but its response, and for a reference but its file name.
constexpr std::size_t kFactsRoom = 96, kReferenceRoom = 24;

// The facts comment at `to`, `response` as it is written (escaped); gives its end.
char* PutFacts(char* to, const msgcomp::SourceEntry& source, std::string_view response) {
  to = PutBytes(to, kFactsPrefix);
  to = PutDecimal(to, source.number);
  to = PutBytes(to, ", severity ");
  *to++ = msgcomp::kSeverityLetters[source.severity];
  if (source.count_argument > 0) {
    to = PutBytes(to, ", count ");
    to = PutDecimal(to, source.count_argument);
  }
  if (!response.empty()) {
    to = PutBytes(to, ", response \"");
    to = PutBytes(to, response);
    *to++ = '"';
  }
  return to;
}

char* PutReference(char* to, std::string_view file, long line) {
  to = PutBytes(to, file);
  *to++ = ':';
  return PutDecimal(to, line);
}

// Makes room for `most` bytes at the end of `out`; gives where they go.
char* Room(std::string& out, std::size_t most) {
  const std::size_t at = out.size();
  out.resize(at + most);
  return out.data() + at;
}

void Trim(std::string& out, const char* end) { out.resize(static_cast<std::size_t>(end - out.data())); }

}  // namespace

void AppendFacts(std::string& out, const msgcomp::SourceEntry& source) {
  std::string escaped;
  std::string_view response = source.response;
  if (!NeedsNoPoEscape(response)) response = escaped = EscapePo(response);
  Trim(out, PutFacts(Room(out, kFactsRoom + response.size()), source, response));
}

void AppendReference(std::string& out, std::string_view file, long line) {
  Trim(out, PutReference(Room(out, kReferenceRoom + file.size()), file, line));
}

bool EntryFor(const msgcomp::SourceEntry& source, const std::string& file, bool with_text, const PluralRuleOf& rule,
              PoEntry& entry, FormatError& error) {
  entry = PoEntry{};
  AppendFacts(entry.extracted.emplace_back(), source);
  AppendReference(entry.references.emplace_back(), file, source.line);
  entry.has_context = true;
  entry.context = source.symbol;
  if (source.number == 0) {
    entry.flags.emplace_back(kNoCFormat);
    entry.msgid = source.text;
  } else if (!source.forms.empty()) {
    entry.flags.emplace_back(kCFormat);
    PluralBase plural;
    if (!PluralOfBase(source.forms, source.count_argument, rule, plural, error)) return false;
    entry.msgid = std::move(plural.msgid);
    entry.has_plural = true;
    entry.msgid_plural = std::move(plural.msgid_plural);
    entry.msgstr = with_text ? std::move(plural.msgstr) : std::vector<std::string>(2);
    return true;
  } else {
    entry.flags.emplace_back(kCFormat);
    Signature signature;
    if (!SourceToPo(source.text, entry.msgid, signature, error)) return false;
  }
  entry.msgstr.push_back(with_text ? entry.msgid : std::string());
  return true;
}

void WriteTextEntry(std::string& out, const msgcomp::SourceEntry& source, std::string_view file, bool with_text,
                    std::string_view msgid, bool plain_msgid) {
  const std::string_view flag = source.number == 0 ? kNoCFormat : kCFormat;
  const std::string_view longer = with_text ? "msgstr" : "msgid";
  // The usual entry has every string plain on one line: room for it all,
  // then each piece in place.
  if (NeedsNoPoEscape(source.response) && IsPlainPoString("msgctxt", source.symbol) &&
      (plain_msgid ? longer.size() + 3 + msgid.size() <= kPoWidth : IsPlainPoString(longer, msgid))) {
    char* to = Room(out, kFactsRoom + source.response.size() + kReferenceRoom + file.size() + flag.size() +
                             source.symbol.size() + 2 * msgid.size() + 64);
    to = PutFacts(PutBytes(to, "#. "), source, source.response);
    to = PutReference(PutBytes(to, "\n#: "), file, source.line);
    to = PutBytes(PutBytes(to, "\n#, "), flag);
    *to++ = '\n';
    to = PutPlainPoString(to, "msgctxt", source.symbol);
    to = PutPlainPoString(to, "msgid", msgid);
    Trim(out, PutPlainPoString(to, "msgstr", with_text ? msgid : std::string_view()));
    return;
  }
  out.append("#. ");
  AppendFacts(out, source);
  out.append("\n#: ");
  AppendReference(out, file, source.line);
  out.append("\n#, ").append(flag).append(1, '\n');
  WritePoString(out, "msgctxt", source.symbol);
  WritePoMsgidMsgstr(out, msgid, with_text);
}

bool ReadFacts(const PoEntry& entry, EntryFacts& facts) {
  for (const std::string& line : entry.extracted) {
    if (line.compare(0, std::strlen(kFactsPrefix), kFactsPrefix) != 0) continue;
    const char* p = line.c_str() + std::strlen(kFactsPrefix);
    char* end = nullptr;
    const long number = std::strtol(p, &end, 10);
    if (end == p || number < 0 || number > msgcomp::kMaxMsgNum || std::strncmp(end, ", severity ", 11) != 0) return false;
    p = end + 11;
    const char* letter = *p != '\0' ? std::strchr(msgcomp::kSeverityLetters, *p) : nullptr;
    if (letter == nullptr) return false;
    facts.number = static_cast<int32_t>(number);
    facts.severity = static_cast<int32_t>(letter - msgcomp::kSeverityLetters);
    facts.response.clear();
    facts.count = 0;
    ++p;
    if (std::strncmp(p, ", count ", 8) == 0) {
      const long count = std::strtol(p + 8, &end, 10);
      if (end == p + 8 || count < 1 || count > format::kMaxArgumentNumber) return false;
      facts.count = static_cast<int>(count);
      p = end;
    }
    if (*p == '\0') return true;
    if (std::strncmp(p, ", response ", 11) != 0) return false;
    // The response is a C string: read it with the PO reader.
    std::vector<PoEntry> parsed;
    PoSyntaxError syntax;
    const std::string text = std::string("msgid \"\"\nmsgstr ").append(p + 11).append(1, '\n');
    if (!ReadPo(text, parsed, syntax) || parsed.size() != 1) return false;
    facts.response = parsed[0].msgstr[0];
    return true;
  }
  return false;
}

bool IsUtf8(std::string_view text) {
  // Most texts are ASCII: one sweep over them, which the compiler widens.
  unsigned char high = 0;
  for (const char c : text) high |= static_cast<unsigned char>(c);
  return high < 0x80 || qokit::format::InvalidUtf8Offset(text) < 0;
}

}  // namespace qokit::po
