// The plural table is read from every catalogue a reader opens. Whatever the
// bytes (the first two give H and D, the rest is the table's compiled
// text), the reader ends without overrunning them; every entry it gives
// lies where the layout puts it; and the table written again from what it
// read reads back to the same entries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "plural_layout.h"

namespace {

using qokit::format::PluralTableReader;

// Reads the whole table; false when the reader refused it.
bool ReadAll(std::string_view compiled, long highest, long table, std::vector<qokit::format::PluralEntry>& entries,
             PluralTableReader& reader) {
  qokit::format::PluralLayoutError error;
  if (!reader.Start(compiled, highest, table, error)) {
    CHECK(error.detail[0] != '\0');
    return false;
  }
  qokit::format::PluralEntry entry;
  PluralTableReader::Step step;
  while ((step = reader.Next(entry, error)) == PluralTableReader::Step::kEntry) entries.push_back(entry);
  CHECK((step == PluralTableReader::Step::kFault) == (error.detail[0] != '\0'));
  return step == PluralTableReader::Step::kEnd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const long highest = 1 + data[0] * 40;
  const long table = highest + data[1];
  const std::string_view compiled(reinterpret_cast<const char*>(data + 2), size - 2);
  PluralTableReader reader;
  std::vector<qokit::format::PluralEntry> entries;
  if (!ReadAll(compiled, highest, table, entries, reader)) return 0;
  const int forms = reader.rule().forms();
  long previous = 0;
  for (const qokit::format::PluralEntry& e : entries) {
    CHECK(e.number > previous && e.number <= highest);
    CHECK((e.left_out & ~reader.facts().single_count) == 0);
    for (int f = 0; f < forms; ++f) {
      const long at = qokit::format::FormNumber(e, f);
      CHECK(f == e.standing ? at == e.number : at > highest && at < table);
    }
    previous = e.number;
  }
  // The rule line with each "%%" read as "%", as the dump tool reads it.
  std::string rule;
  const std::string_view line = reader.rule_line();
  for (std::size_t i = 0; i < line.size(); ++i) {
    rule += line[i];
    if (line[i] == '%') ++i;
  }
  std::string again;
  CHECK(qokit::format::WritePluralTable(rule, entries, again));
  CHECK(again == compiled);
  return 0;
}
