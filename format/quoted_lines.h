// Splitting a long text into several quoted strings, for the writers of the
// formats that join adjacent strings (message sources and PO files).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qokit::format {

// The contents of the strings that together hold `bytes`, each character
// escaped by `escape`. A string ends after each line feed and before a
// character that would take it past `width` columns, then after its last
// blank when it has one. A character (a UTF-8 sequence too) or an escape is
// never cut; an empty text gives one empty string.
std::vector<std::string> QuotedLines(std::string_view bytes, void (*escape)(std::string& out, char c),
                                     std::size_t width);

}  // namespace qokit::format
