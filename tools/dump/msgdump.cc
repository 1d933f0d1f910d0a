#include "msgdump.h"

#include <map>
#include <string_view>
#include <vector>

#include "compiled_text.h"
#include "diagnostics.h"
#include "object_format.h"
#include "plural_layout.h"
#include "source_text.h"
#include "tool_messages.h"

namespace qokit::dump {

namespace {

// The text with "@n" before each insert, still unescaped; without its last
// insert (a count the compiler appended to a form that leaves it out) when
// `dropLast`.
std::string SourceText(const qokit::reader::CompiledText& text, bool dropLast = false) {
  std::string source;
  const std::size_t inserts = text.inserts.size() - (dropLast ? 1 : 0);
  for (std::size_t i = 0; i < text.pieces.size(); ++i) {
    source += text.pieces[i];
    if (i == inserts) break;
    source += '@';
    source += std::to_string(text.inserts[i].argument);
    source += text.inserts[i].conversion;
  }
  return source;
}

// The catalogue's plural messages by number, and its rule; none when it has
// no plural table (or one that cannot be read, reported).
struct Plurals {
  std::string rule;  // the Plural-Forms text
  int forms = 0;
  long highest = 0;  // H: the numbers above hold forms and the table
  std::map<long, format::PluralEntry> entries;
};

Plurals ReadPlurals(const qokit::reader::Catalog& catalog, std::FILE* err) {
  Plurals plurals;
  const auto* control = reinterpret_cast<const unsigned char*>(catalog.image().data());
  if (control[format::kPluralLayoutAt] == 0) return plurals;
  const long table = format::GetLe32(control + format::kPluralTableAt);
  const long highest = format::GetLe32(control + format::kPluralHighestAt);
  format::MessageView m;
  format::PluralTableReader reader;
  format::PluralLayoutError error;
  if (control[format::kPluralLayoutAt] != format::kPluralLayout || !catalog.Find(table, m) ||
      !reader.Start(m.compiled, highest, table, error)) {
    cli::SayBadPluralTable(err, error.detail[0] != '\0' ? error.detail : "no table where the control block says");
    return plurals;
  }
  format::PluralEntry entry;
  format::PluralTableReader::Step step;
  while ((step = reader.Next(entry, error)) == format::PluralTableReader::Step::kEntry) plurals.entries[entry.number] = entry;
  if (step == format::PluralTableReader::Step::kFault) {
    cli::SayBadPluralTable(err, error.detail);
    return Plurals{};
  }
  // The rule, with each "%%" read as "%".
  const std::string_view line = reader.rule_line();
  for (std::size_t i = 0; i < line.size(); ++i) {
    plurals.rule += line[i];
    if (line[i] == '%') ++i;
  }
  plurals.forms = reader.rule().forms();
  plurals.highest = highest;
  return plurals;
}

// The summary comment, the format codes and the plural rule.
void WriteSourceHeading(std::FILE* out, const qomsg_info& info, const Plurals& plurals) {
  cli::Report(out, "/* %ld messages from %ld to %ld, checksum %ld, compiled %s */\n\n", info.msg_count,
              info.msg_count > 0 ? info.min_msg_num : 0L, info.max_msg_num, info.checksum, info.comp_date);
  cli::Report(out, "0 I DATEFORMAT \"%d\"\n0 I TIMEFORMAT \"%d\"\n0 I NUMBERFORMAT \"%d\"\n", info.date_fmt,
              info.time_fmt, info.number_fmt);
  if (!plurals.entries.empty()) cli::Report(out, "0 I PLURALFORMS \"%s\"\n", plurals.rule.c_str());
  cli::Report(out, "\n");
}

// Takes message `number` apart; false when the file has none (the open
// checked every text, so each that is there reads back).
bool ReadText(const qokit::reader::Catalog& catalog, long number, format::MessageView& m,
              qokit::reader::CompiledText& text) {
  std::string why;
  return catalog.Find(number, m) && format::ReadCompiledForm(m.compiled, text, why);
}

bool Faithful(const format::MessageView& m, const qokit::reader::CompiledText& text, std::FILE* err) {
  bool faithful = true;
  if (m.response.find(']') != std::string_view::npos) {
    cli::SayResponseHoldsBracket(err, m.number);
    faithful = false;
  }
  for (const std::string_view piece : text.pieces) {
    if (piece.find('@') != std::string_view::npos) {
      cli::SayLiteralAt(err, m.number);
      return false;
    }
  }
  return faithful;
}

}  // namespace

bool WriteMessageSource(const qokit::reader::Catalog& catalog, const std::map<long, std::string>& names,
                        std::FILE* out, std::FILE* err) {
  const Plurals plurals = ReadPlurals(catalog, err);
  bool faithful = true;
  WriteSourceHeading(out, catalog.Info(), plurals);
  std::string line;
  for (long number = format::NextMessageNumber(catalog.image(), 0); number > 0;
       number = format::NextMessageNumber(catalog.image(), number)) {
    // Above H stand the forms and the table, written with their messages.
    if (!plurals.entries.empty() && number > plurals.highest) break;
    format::MessageView m;
    qokit::reader::CompiledText text;
    if (!ReadText(catalog, number, m, text)) return false;
    const auto named = names.find(m.number);
    const std::string symbol = named != names.end() ? named->second : "MSG_" + std::to_string(m.number);
    faithful = Faithful(m, text, err) && faithful;
    format::SourceEntryText entry{m.number, m.severity % 8, symbol, m.response, {}};
    std::vector<std::string> forms;
    std::string single;
    if (const auto plural = plurals.entries.find(number); plural != plurals.entries.end()) {
      for (int form = 0; form < plurals.forms; ++form) {
        format::MessageView fm;
        qokit::reader::CompiledText formText;
        if (!ReadText(catalog, format::FormNumber(plural->second, form), fm, formText)) return false;
        faithful = Faithful(fm, formText, err) && faithful;
        forms.push_back(SourceText(formText, (plural->second.left_out >> form & 1u) != 0));
      }
      entry.forms = forms;
      entry.count_argument = plural->second.count_argument;
    } else {
      single = SourceText(text);
      entry.text = single;
    }
    line.clear();
    (void)format::AppendSourceEntry(line, entry, format::TextLayout::kLineFeeds);
    std::fputs(line.c_str(), out);
  }
  return faithful;
}

}  // namespace qokit::dump
