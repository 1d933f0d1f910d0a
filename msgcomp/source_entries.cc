#include "source_entries.h"

#include <memory>
#include <string_view>

#include "msgstate.h"
#include "quoted_lines.h"
#include "source_reader.h"
#include "state_scope.h"

namespace qokit::msgcomp {

namespace {

constexpr std::size_t kTextColumns = 72;

void AppendStringChar(std::string& out, char c) {
  if (c == '"') {
    out.append("\\\"");
  } else {
    AppendSourceEscaped(out, c);
  }
}

}  // namespace

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
    while ((result = ReadMessage(record)) == 0) {
      SourceEntry entry{record.msgNum, record.severity, record.symbol, record.text, record.response, record.srcIndex,
                        record.line};
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

void AppendSourceEscaped(std::string& out, char c) {
  switch (c) {
    case '\\': out.append("\\\\"); break;
    case '\a': out.append("\\a"); break;
    case '\b': out.append("\\b"); break;
    case '\f': out.append("\\f"); break;
    case '\n': out.append("\\n"); break;
    case '\r': out.append("\\r"); break;
    case '\t': out.append("\\t"); break;
    case '\v': out.append("\\v"); break;
    default: out.push_back(c); break;
  }
}

SourceEntryFault FindSourceEntryFault(const SourceEntry& entry) {
  if (!IsSourceSymbol(entry.symbol)) return SourceEntryFault::kSymbol;
  if (entry.response.size() > static_cast<std::size_t>(kMaxResponseLen) ||
      entry.response.find_first_of(std::string_view("]\0", 2)) != std::string::npos) {
    return SourceEntryFault::kResponse;
  }
  if (entry.text.size() > static_cast<std::size_t>(kMaxTextLen) || entry.text.find('\0') != std::string::npos) {
    return SourceEntryFault::kText;
  }
  return SourceEntryFault::kNone;
}

bool AppendSourceEntry(std::string& out, const SourceEntry& entry) {
  const std::size_t start = out.size();
  out.append(std::to_string(entry.number)).append(1, ' ');
  out.append(1, kSeverityLetters[entry.severity]).append(1, ' ').append(entry.symbol);
  if (!entry.response.empty()) {
    out.append(" [");
    for (const char c : entry.response) AppendSourceEscaped(out, c);
    out.append("]");
  }
  const std::vector<std::string> lines = format::QuotedLines(entry.text, AppendStringChar, kTextColumns);
  const bool one_line = lines.size() == 1 && out.size() - start + lines[0].size() + 3 <= kTextColumns + 8;
  for (const std::string& line : lines) out.append(one_line ? " \"" : "\n    \"").append(line).append(1, '"');
  out.append(1, '\n');
  return entry.response.find(']') == std::string::npos;
}

}  // namespace qokit::msgcomp
