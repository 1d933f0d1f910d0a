// gettext's PO file syntax: reading entries with their comments, flags and
// line numbers, and writing them back.
//
// An entry: comment lines ("# " translator, "#." extracted, "#:" reference,
// "#," flags; "#|" previous strings and "#~" obsolete entries are skipped),
// then msgctxt, msgid, msgid_plural and msgstr or msgstr[n], each a keyword
// and one or more C-quoted strings that are joined.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "po_charset.h"

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

// Reads the entries of a PO file's text one at a time, in file order, the
// header entry included, so that a large file is never held twice.
class PoReader {
 public:
  // `text` (UTF-8, see po_charset.h) must outlive the reader, which starts
  // at `offset`, on line `line` + 1.
  explicit PoReader(std::string_view text, PoDecoding decoding = {}, std::size_t offset = 0, long line = 0);

  // Where the next entry is looked for, to come back to it with a reader of its own.
  std::size_t offset() const { return pos_; }
  long line() const { return line_; }

  // The next entry; false at the end of the text or after a syntax error
  // (then `failed` is true and `error` says what and where).
  [[nodiscard]] bool Next(PoEntry& entry, PoSyntaxError& error);
  bool failed() const { return failed_; }

 private:
  bool Fail(PoSyntaxError& error, long line, std::string what);
  bool Unquote(std::string_view s, std::string& out, std::string& what) const;

  std::string_view text_;
  PoDecoding decoding_;
  std::size_t pos_ = 0;
  long line_ = 0;
  bool failed_ = false;
};

// The entries of a PO file's text in file order, the header entry included.
[[nodiscard]] bool ReadPo(std::string_view text, std::vector<PoEntry>& entries, PoSyntaxError& error,
                          const PoDecoding& decoding = {});

// A field of the header entry ("Content-Type", ...), empty when absent.
std::string HeaderField(const PoEntry& header, std::string_view name);

// The bytes as the contents of one C string literal of a PO file.
std::string EscapePo(std::string_view bytes);

// The same, appended to `out`.
void AppendEscapedPo(std::string& out, std::string_view bytes);

// The pieces of an entry's layout, for a writer that has no PoEntry: one
// comment line ("#." and the text), and one keyword with its string.
void WritePoComment(std::string& out, std::string_view mark, std::string_view line);
void WritePoString(std::string& out, std::string_view keyword, std::string_view bytes);
// For a writer that makes room first and then writes: whether bytes stand
// for themselves in a string literal; whether WritePoString writes them on
// one line as they are; and that line ("msgid \"...\"\n", the keyword's
// and the bytes' sizes and 4 more) written at `to`, giving its end.
inline constexpr std::size_t kPoWidth = 79;  // columns of a line
bool NeedsNoPoEscape(std::string_view bytes);
// Whether the bytes are all printable ASCII and need no escape: UTF-8, too.
bool IsPlainAscii(std::string_view bytes);
bool IsPlainPoString(std::string_view keyword, std::string_view bytes);
inline char* PutBytes(char* to, std::string_view bytes) {
  if (!bytes.empty()) std::memcpy(to, bytes.data(), bytes.size());
  return to + bytes.size();
}
inline char* PutPlainPoString(char* to, std::string_view keyword, std::string_view bytes) {
  to = PutBytes(to, keyword);
  to = PutBytes(to, " \"");
  to = PutBytes(to, bytes);
  return PutBytes(to, "\"\n");
}

// The msgid, then a msgstr that is the msgid or empty.
void WritePoMsgidMsgstr(std::string& out, std::string_view msgid, bool msgstr_is_msgid);

// Appends one entry in gettext's layout: long strings and strings with
// line feeds are split into several literals, each line within 79 columns.
void WritePoEntry(std::string& out, const PoEntry& entry);

}  // namespace qokit::po
