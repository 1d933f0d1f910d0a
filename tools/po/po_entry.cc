#include "po_entry.h"

#include <charconv>
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

void AppendNumber(std::string& out, long value) {
  char digits[24];
  const auto [end, unused] = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end);
}

}  // namespace

void AppendFacts(std::string& out, const msgcomp::SourceEntry& source) {
  out.append(kFactsPrefix);
  AppendNumber(out, source.number);
  out.append(", severity ").append(1, msgcomp::kSeverityLetters[source.severity]);
  if (source.count_argument > 0) {
    out.append(", count ");
    AppendNumber(out, source.count_argument);
  }
  if (!source.response.empty()) {
    out.append(", response \"");
    AppendEscapedPo(out, source.response);
    out.append(1, '"');
  }
}

void AppendReference(std::string& out, std::string_view file, long line) {
  out.append(file).append(1, ':');
  AppendNumber(out, line);
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
                    std::string_view msgid) {
  out.append("#. ");
  AppendFacts(out, source);
  out.append("\n#: ");
  AppendReference(out, file, source.line);
  out.append("\n#, ").append(source.number == 0 ? kNoCFormat : kCFormat).append(1, '\n');
  WritePoString(out, "msgctxt", source.symbol);
  WritePoString(out, "msgid", msgid);
  WritePoString(out, "msgstr", with_text ? msgid : std::string_view());
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
