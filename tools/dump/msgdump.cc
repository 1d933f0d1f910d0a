#include "msgdump.h"

#include <string_view>

#include "compiled_text.h"
#include "diagnostics.h"
#include "source_text.h"
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

// The summary comment and the format codes.
void WriteSourceHeading(std::FILE* out, const qomsg_info& info) {
  cli::Report(out, "/* %ld messages from %ld to %ld, checksum %ld, compiled %s */\n\n", info.msg_count,
              info.msg_count > 0 ? info.min_msg_num : 0L, info.max_msg_num, info.checksum, info.comp_date);
  cli::Report(out, "0 I DATEFORMAT \"%d\"\n0 I TIMEFORMAT \"%d\"\n0 I NUMBERFORMAT \"%d\"\n\n", info.date_fmt,
              info.time_fmt, info.number_fmt);
}

}  // namespace

bool WriteMessageSource(const qokit::reader::Catalog& catalog, const std::map<long, std::string>& names,
                        std::FILE* out, std::FILE* err) {
  bool faithful = true;
  WriteSourceHeading(out, catalog.Info());
  std::string line;
  for (long number = format::NextMessageNumber(catalog.image(), 0); number > 0;
       number = format::NextMessageNumber(catalog.image(), number)) {
    format::MessageView m;
    qokit::reader::CompiledText text;
    std::string why;
    // The catalogue's open checked every text, so each reads back.
    if (!catalog.Find(number, m) || !format::ReadCompiledForm(m.compiled, text, why)) return false;
    const auto named = names.find(m.number);
    const std::string symbol = named != names.end() ? named->second : "MSG_" + std::to_string(m.number);
    if (m.response.find(']') != std::string_view::npos) {
      cli::SayResponseHoldsBracket(err, m.number);
      faithful = false;
    }
    for (const std::string_view piece : text.pieces) {
      if (piece.find('@') != std::string_view::npos) {
        cli::SayLiteralAt(err, m.number);
        faithful = false;
        break;
      }
    }
    line.clear();
    (void)format::AppendSourceEntry(line, {m.number, m.severity % 8, symbol, m.response, SourceText(text), {}, 0},
                                    format::TextLayout::kLineFeeds);
    std::fputs(line.c_str(), out);
  }
  return faithful;
}

}  // namespace qokit::dump
