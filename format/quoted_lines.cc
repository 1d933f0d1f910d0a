#include "quoted_lines.h"

namespace qokit::format {

std::vector<std::string> QuotedLines(std::string_view bytes, void (*escape)(std::string& out, char c),
                                     std::size_t width) {
  std::vector<std::string> lines(1);
  std::size_t columns = 0;                        // of the current line
  std::size_t blank = std::string::npos;          // where its last blank's escape ends
  std::size_t blank_columns = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    // Each character is escaped straight onto the line, and moves to the
    // next line when it does not fit.
    std::string& line = lines.back();
    const std::size_t unit = line.size();
    escape(line, bytes[i]);
    const bool line_feed = bytes[i] == '\n';
    const bool is_blank = bytes[i] == ' ';
    // A UTF-8 sequence stays whole and takes one column.
    for (++i; i < bytes.size() && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80; ++i) line.push_back(bytes[i]);
    const std::size_t unit_columns = (static_cast<unsigned char>(line[unit]) & 0x80) != 0 ? 1 : line.size() - unit;
    if (columns > 0 && columns + unit_columns > width) {
      // After the line's last blank, with what follows it; else before the character.
      const bool at_blank = blank != std::string::npos && blank < unit;
      const std::size_t cut = at_blank ? blank : unit;
      columns = at_blank ? columns - blank_columns : 0;
      std::string rest = line.substr(cut);
      line.resize(cut);
      lines.push_back(std::move(rest));
      blank = std::string::npos;
    }
    columns += unit_columns;
    if (is_blank) {
      blank = lines.back().size();
      blank_columns = columns;
    }
    if (line_feed && i < bytes.size()) {
      lines.emplace_back();
      columns = 0;
      blank = std::string::npos;
    }
  }
  return lines;
}

}  // namespace qokit::format
