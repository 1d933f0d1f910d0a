// gettext's PO file syntax: reading entries with their comments, flags and
// line numbers, and writing them back.
//
// An entry: comment lines ("# " translator, "#." extracted, "#:" reference,
// "#," flags; "#|" previous strings and "#~" obsolete entries are skipped),
// then msgctxt, msgid, msgid_plural and msgstr or msgstr[n], each a keyword
// and one or more C-quoted strings that are joined.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qokit::po {

struct PoEntry {
  long line = 0;         // line of the entry's first keyword
  long msgstr_line = 0;  // line of its (first) msgstr
  std::vector<std::string> comments;   // translator comments, without "# "
  std::vector<std::string> extracted;  // "#." comments, without "#. "
  std::vector<std::string> references;
  std::vector<std::string> flags;
  bool has_context = false;
  std::string context;
  std::string msgid;
  bool has_plural = false;
  std::string msgid_plural;
  std::vector<std::string> msgstr;  // one, or one per plural form

  bool HasFlag(std::string_view flag) const;
  bool IsHeader() const { return !has_context && msgid.empty(); }
};

struct PoSyntaxError {
  long line = 0;
  std::string what;
};

// The entries of a PO file's text in file order, the header entry included.
[[nodiscard]] bool ReadPo(std::string_view text, std::vector<PoEntry>& entries, PoSyntaxError& error);

// A field of the header entry ("Content-Type", ...), empty when absent.
std::string HeaderField(const PoEntry& header, std::string_view name);
// The charset that a header's Content-Type names, upper case; empty when none.
std::string HeaderCharset(const PoEntry& header);

// `text` in the charset named turned into UTF-8 with iconv; false with a
// description when the charset is unknown or the text is not in it.
[[nodiscard]] bool ConvertToUtf8(std::string& text, const std::string& charset, std::string& problem);

// The bytes as the contents of one C string literal of a PO file.
std::string EscapePo(std::string_view bytes);

// Appends one entry in gettext's layout: long strings and strings with
// line feeds are split into several literals, each line within 79 columns.
void WritePoEntry(std::string& out, const PoEntry& entry);

}  // namespace qokit::po
