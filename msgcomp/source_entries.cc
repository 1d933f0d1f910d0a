#include "source_entries.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "msgstate.h"
#include "source_reader.h"
#include "state_scope.h"

namespace qokit::msgcomp {

int VisitSourceEntries(std::span<const char* const> names, const std::function<void(SourceEntry&)>& visit) {
  CompilerStateScope scope;
  if (!scope.ok()) return 1;
  MsgCompilerState& state = scope.state();
  state.numSrcFiles = static_cast<int32_t>(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) state.srcFileNames[i] = names[i];
  int result = OpenSources();
  if (result == 0) {
    RewindSources();
    MessageRecord record;
    // One entry for all: its strings keep their room from one to the next.
    SourceEntry entry;
    while ((result = ReadMessage(record)) == 0) {
      entry.number = record.msgNum;
      entry.severity = record.severity;
      entry.symbol.assign(record.symbol);
      entry.text.assign(record.text);
      entry.response.assign(record.response);
      entry.source = record.srcIndex;
      entry.line = record.line;
      entry.forms.resize(static_cast<std::size_t>(state.plural.count));
      for (int f = 0; f < state.plural.count; ++f) entry.forms[static_cast<std::size_t>(f)].assign(state.plural.text[f].data());
      entry.count_argument = state.plural.countArgument;
      visit(entry);
    }
    result = result < 0 ? 0 : 1;
  }
  return result;
}

int ReadSourceEntries(std::span<const char* const> names, std::vector<SourceEntry>& entries) {
  entries.clear();
  const int result = VisitSourceEntries(names, [&](SourceEntry& entry) { entries.push_back(std::move(entry)); });
  if (result != 0) entries.clear();
  return result;
}

SourceEntryFault FindSourceEntryFault(const SourceEntry& entry) {
  if (!IsSourceSymbol(entry.symbol)) return SourceEntryFault::kSymbol;
  if (entry.response.size() > static_cast<std::size_t>(kMaxResponseLen) ||
      entry.response.find_first_of(std::string_view("]\0", 2)) != std::string::npos) {
    return SourceEntryFault::kResponse;
  }
  const auto badText = [](const std::string& text) {
    return text.size() > static_cast<std::size_t>(kMaxTextLen) || text.find('\0') != std::string::npos;
  };
  if (badText(entry.text) || std::any_of(entry.forms.begin(), entry.forms.end(), badText)) {
    return SourceEntryFault::kText;
  }
  return SourceEntryFault::kNone;
}

bool AppendSourceEntry(std::string& out, const SourceEntry& entry) {
  return format::AppendSourceEntry(out, {entry.number, entry.severity, entry.symbol, entry.response, entry.text,
                                         entry.forms, entry.count_argument},
                                   format::TextLayout::kWrapped);
}

}  // namespace qokit::msgcomp
