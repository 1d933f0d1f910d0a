#include "po_export.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "po_entry.h"
#include "po_file.h"
#include "po_messages.h"
#include "po_plural.h"
#include "source_entries.h"

namespace qokit::po {

namespace {

PoEntry HeaderEntry(bool pot, const BasePlurals& plurals) {
  PoEntry header;
  std::string& fields = header.msgstr.emplace_back();
  if (pot) {
    header.comments = {"Messages for translation, written by qomsgpo export.", ""};
    header.flags = {"fuzzy"};
    fields.assign("Project-Id-Version: PACKAGE VERSION\n"
                  "Report-Msgid-Bugs-To: \n"
                  "PO-Revision-Date: YEAR-MO-DA HO:MI+ZONE\n"
                  "Last-Translator: FULL NAME <EMAIL@ADDRESS>\n"
                  "Language-Team: LANGUAGE <LL@li.org>\n"
                  "Language: \n");
  } else {
    header.comments = {"The messages in their own language, written by qomsgpo export."};
  }
  fields.append("MIME-Version: 1.0\n"
                "Content-Type: text/plain; charset=UTF-8\n"
                "Content-Transfer-Encoding: 8bit\n");
  // msginit fills the placeholder in for the translator's language.
  if (pot && plurals.any) fields.append("Plural-Forms: nplurals=INTEGER; plural=EXPRESSION;\n");
  if (!pot) {
    if (!plurals.language.empty()) fields.append("Language: ").append(plurals.language).append("\n");
    if (plurals.any) fields.append("Plural-Forms: ").append(plurals.rule.plural_forms).append("\n");
  }
  return header;
}

}  // namespace

int ExportPo(std::span<const char* const> sources, const ExportOptions& options, std::string& out) {
  const bool pot = options.pot;
  out.clear();
  // About twice the sources: each text is the msgid and, but in a template, the msgstr.
  std::size_t bytes = 0;
  for (const char* name : sources) {
    std::error_code ignored;
    bytes += static_cast<std::size_t>(std::filesystem::file_size(name, ignored) & 0xFFFFFFFFu);
  }
  out.reserve(bytes * (pot ? 3 : 4) / 2);
  BasePlurals plurals;
  std::string why;
  if (!ReadBasePlurals(sources, plurals, why)) {
    if (!why.empty()) SayBadPluralRule(Where{sources[0], 0, msgcomp::kPluralFormsMeta}, why.c_str());
    return 1;
  }
  WritePoEntry(out, HeaderEntry(pot, plurals));
  // A symbol names one message and, apart, one meta-symbol: where each was first.
  std::map<std::pair<bool, std::string>, std::pair<int32_t, long>> seen;
  // Without msgctxt, the entries in order and each text's entry.
  std::vector<PoEntry> shared;
  std::map<std::string, std::size_t> by_msgid;
  int result = 0;
  bool any = false;
  PoEntry entry;
  const int read = msgcomp::VisitSourceEntries(sources, [&](msgcomp::SourceEntry& source) {
    any = true;
    const char* file = sources[static_cast<std::size_t>(source.source)];
    const Where at{file, source.line, source.symbol.c_str()};
    const auto [first, fresh] = seen.try_emplace({source.number == 0, source.symbol}, source.source, source.line);
    if (!fresh) {
      SayDuplicateSymbol(at, sources[static_cast<std::size_t>(first->second.first)], first->second.second);
      result = 1;
      return;
    }
    if (!IsUtf8(source.text) || !IsUtf8(source.response)) {
      SayNotUtf8(at);
      result = 1;
      return;
    }
    // The catalogue's language and rule are the header's.
    if (source.number == 0 && (source.symbol == msgcomp::kPluralFormsMeta || source.symbol == msgcomp::kLanguageMeta)) return;
    FormatError error;
    if (!EntryFor(source, file, !pot, plurals.rule, entry, error)) {
      if (error.fault == FormatFault::kNone) {
        SayExportFormCount(at, source.forms.size(), plurals.rule.rule.forms());
      } else {
        SayExportTextFault(at, error);
      }
      result = 1;
      return;
    }
    // Meta-symbols are settings of the catalogue, not texts: they keep their msgctxt.
    if (options.no_context && source.number != 0) {
      entry.has_context = false;
      entry.context.clear();
      // A plural entry is one text with its msgid_plural.
      std::string key = entry.msgid;
      if (entry.has_plural) key.append(1, '\0').append(entry.msgid_plural);
      const auto [slot, added] = by_msgid.try_emplace(std::move(key), shared.size());
      if (added) {
        shared.push_back(std::move(entry));
      } else {
        PoEntry& same = shared[slot->second];
        same.extracted.insert(same.extracted.end(), entry.extracted.begin(), entry.extracted.end());
        same.references.insert(same.references.end(), entry.references.begin(), entry.references.end());
      }
      return;
    }
    out.append(1, '\n');
    WritePoEntry(out, entry);
  });
  if (read != 0) return 1;
  if (!any) {
    SayNoEntries(sources);
    return 1;
  }
  for (const PoEntry& one : shared) {
    out.append(1, '\n');
    WritePoEntry(out, one);
  }
  return result;
}

}  // namespace qokit::po
