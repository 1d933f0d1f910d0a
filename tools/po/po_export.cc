#include "po_export.h"

#include <map>
#include <utility>
#include <vector>

#include "po_entry.h"
#include "po_file.h"
#include "po_messages.h"
#include "source_entries.h"

namespace qokit::po {

namespace {

PoEntry HeaderEntry(bool pot) {
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
  return header;
}

}  // namespace

int ExportPo(std::span<const char* const> sources, bool pot, std::string& out) {
  std::vector<msgcomp::SourceEntry> entries;
  if (msgcomp::ReadSourceEntries(sources, entries) != 0) return 1;
  if (entries.empty()) {
    SayNoEntries(sources);
    return 1;
  }
  out.clear();
  WritePoEntry(out, HeaderEntry(pot));
  // A symbol names one message and, apart, one meta-symbol.
  std::map<std::pair<bool, std::string>, const msgcomp::SourceEntry*> seen;
  int result = 0;
  for (const msgcomp::SourceEntry& source : entries) {
    const char* file = sources[static_cast<std::size_t>(source.source)];
    const Where at{file, source.line, source.symbol.c_str()};
    const auto [first, fresh] = seen.try_emplace({source.number == 0, source.symbol}, &source);
    if (!fresh) {
      SayDuplicateSymbol(at, sources[static_cast<std::size_t>(first->second->source)], first->second->line);
      result = 1;
      continue;
    }
    if (!IsUtf8(source.text) || !IsUtf8(source.response)) {
      SayNotUtf8(at);
      result = 1;
      continue;
    }
    PoEntry entry;
    FormatError error;
    if (!EntryFor(source, file, !pot, entry, error)) {
      SayExportTextFault(at, error);
      result = 1;
      continue;
    }
    out.append(1, '\n');
    WritePoEntry(out, entry);
  }
  return result;
}

}  // namespace qokit::po
