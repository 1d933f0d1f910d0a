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
  if (entry.count > 0) out.append(" {@").append(std::to_string(entry.count)).append("}");
  const bool wrapped = layout == TextLayout::kWrapped;
  const bool plural = !entry.forms.empty();
  const std::size_t forms = plural ? entry.forms.size() : 1;
  for (std::size_t f = 0; f < forms; ++f) {
    const std::string_view text = plural ? std::string_view(entry.forms[f]) : entry.text;
    const std::vector<std::string> lines = wrapped ? QuotedLines(text, AppendStringChar, kTextColumns) : LinesOf(text);
    // The first string goes beside the symbol unless a wrapped text takes more than one line.
    const bool first_beside =
        f == 0 && (!wrapped || (lines.size() == 1 && out.size() - start + lines[0].size() + 3 <= kLineColumns));
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const char* before = i == 0 && first_beside ? " \"" : i == 0 && f > 0 ? "\n  | \"" : "\n    \"";
      out.append(before).append(lines[i]).append(1, '"');
    }
  }
  out.append(1, '\n');
  return entry.response.find(']') == std::string_view::npos;
}

}  // namespace qokit::format
