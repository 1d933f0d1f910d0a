#include "quoted_lines.h"

namespace qokit::format {

std::vector<std::string> QuotedLines(std::string_view bytes, void (*escape)(std::string& out, char c),
                                     std::size_t width) {
  std::vector<std::string> lines(1);
  std::size_t columns = 0;                        // of the current line
  std::size_t blank = std::string::npos;          // where its last blank's escape ends
  std::size_t blank_columns = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    std::string unit;
    escape(unit, bytes[i]);
    const bool line_feed = bytes[i] == '\n';
    const bool is_blank = bytes[i] == ' ';
    // A UTF-8 sequence stays whole and takes one column.
    for (++i; i < bytes.size() && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80; ++i) unit.push_back(bytes[i]);
    const std::size_t unit_columns = (static_cast<unsigned char>(unit[0]) & 0x80) != 0 ? 1 : unit.size();
    std::string& line = lines.back();
    if (columns > 0 && columns + unit_columns > width) {
      std::string rest;
      if (blank != std::string::npos && blank < line.size()) {
        rest = line.substr(blank);
        line.resize(blank);
        columns -= blank_columns;
      } else {
        columns = 0;
      }
      lines.push_back(rest);
      blank = std::string::npos;
    }
    lines.back().append(unit);
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
