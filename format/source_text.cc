#include "source_text.h"

#include <vector>

#include "quoted_lines.h"

namespace qokit::format {

namespace {

constexpr std::size_t kTextColumns = 72;
// An entry stays on one line up to this many columns.
constexpr std::size_t kLineColumns = kTextColumns + 8;

void AppendStringChar(std::string& out, char c) {
  if (c == '"') {
    out.append("\\\"");
  } else {
    AppendSourceEscaped(out, c);
  }
}

// The text's strings, one after each line feed that does not end the text.
std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    AppendStringChar(lines.back(), text[i]);
    if (text[i] == '\n' && i + 1 < text.size()) lines.emplace_back();
  }
  return lines;
}

}  // namespace

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

bool AppendSourceEntry(std::string& out, const SourceEntryText& entry, TextLayout layout) {
  const std::size_t start = out.size();
  out.append(std::to_string(entry.number)).append(1, ' ');
  out.append(1, kSeverityLetters[entry.severity]).append(1, ' ').append(entry.symbol);
  if (!entry.response.empty()) {
    out.append(" [");
    for (const char c : entry.response) AppendSourceEscaped(out, c);
    out.append("]");
  }
  if (entry.count_argument != 0) out.append(" {@").append(std::to_string(entry.count_argument)).append("}");
  const bool wrapped = layout == TextLayout::kWrapped;
  const std::span<const std::string> forms = entry.forms;
  const std::size_t count = forms.empty() ? 1 : forms.size();
  for (std::size_t form = 0; form < count; ++form) {
    const std::string_view text = forms.empty() ? entry.text : std::string_view(forms[form]);
    const std::vector<std::string> lines =
        wrapped ? QuotedLines(text, AppendStringChar, kTextColumns) : LinesOf(text);
    // The first string goes beside the symbol (or the "|") unless a wrapped
    // text takes more than one line.
    if (form > 0) out.append("\n  |");
    const std::size_t beside = form == 0 ? out.size() - start : 4;
    const bool first_beside = !wrapped || (lines.size() == 1 && beside + lines[0].size() + 3 <= kLineColumns);
    for (std::size_t i = 0; i < lines.size(); ++i)
      out.append(i == 0 && first_beside ? " \"" : "\n    \"").append(lines[i]).append(1, '"');
  }
  out.append(1, '\n');
  return entry.response.find(']') == std::string_view::npos;
}

}  // namespace qokit::format
