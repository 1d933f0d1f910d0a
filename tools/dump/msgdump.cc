#include "msgdump.h"

#include <string_view>

#include "compiled_text.h"
#include "source_entries.h"
#include "source_reader.h"
#include "tool_messages.h"

namespace qokit::dump {

namespace {

// The text with "@n" before each insert, still unescaped.
std::string SourceText(const qokit::reader::CompiledText& text) {
  std::string source;
  for (std::size_t i = 0; i < text.pieces.size(); ++i) {
    source += text.pieces[i];
    if (i == text.inserts.size()) break;
    source += '@';
    source += std::to_string(text.inserts[i].argument);
    source += text.inserts[i].conversion;
  }
  return source;
}

}  // namespace

bool WriteMessageSource(const qokit::reader::Catalog& catalog, const std::map<long, std::string>& names,
                        std::FILE* out, std::FILE* err) {
  bool faithful = true;
  cli::WriteSourceHeading(out, catalog.Info());
  for (long number = format::NextMessageNumber(catalog.image(), 0); number > 0;
       number = format::NextMessageNumber(catalog.image(), number)) {
    format::MessageView m;
    qokit::reader::CompiledText text;
    std::string why;
    // The catalogue's open checked every text, so each reads back.
    if (!catalog.Find(number, m) || !format::ReadCompiledForm(m.compiled, text, why)) return false;
    const auto named = names.find(m.number);
    const std::string symbol =
        named != names.end() ? named->second : "MSG_" + std::to_string(m.number);
    std::string line = std::to_string(m.number) + " " + msgcomp::kSeverityLetters[m.severity % 8] + " " + symbol;
    if (!m.response.empty()) {
      line += " [";
      for (const char c : m.response) msgcomp::AppendSourceEscaped(line, c);
      line += "]";
      if (m.response.find(']') != std::string_view::npos) {
        cli::SayResponseHoldsBracket(err, m.number);
        faithful = false;
      }
    }
    for (const std::string_view piece : text.pieces) {
      if (piece.find('@') != std::string_view::npos) {
        cli::SayLiteralAt(err, m.number);
        faithful = false;
        break;
      }
    }
    line += ' ';
    line += QuoteText(SourceText(text));
    line += '\n';
    std::fputs(line.c_str(), out);
  }
  return faithful;
}

std::string QuoteText(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') {
      out += "\\\"";
    } else {
      msgcomp::AppendSourceEscaped(out, text[i]);
    }
    if (text[i] == '\n' && i + 1 < text.size()) out += "\"\n    \"";
  }
  return out + "\"";
}

}  // namespace qokit::dump
