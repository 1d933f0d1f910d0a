// A translated PO file turned back into a message source for its language.
//
// With base sources, every message of the base is written, in the base's
// order, with the base's number, severity and response; its text is the
// translation, or the base text for an entry that is untranslated, fuzzy,
// translates another text than the base's, or that the message format
// cannot carry (an "@", a NUL byte, over 1024 bytes). An entry is found by
// its msgctxt, the symbol; an entry without msgctxt (a gettext project's
// own PO file) by its msgid, the base text as export writes it. Entries
// whose symbol or text the base lacks and plural entries are dropped with a
// warning. Without base sources the entries themselves say all, as export
// wrote them: the facts comment, the msgctxt and the msgid as the base text.
//
// A translation whose conversions do not fit the original (another type,
// another star, an argument missing, twice or beyond the original's, a "%"
// that starts none) or a format code out of range is refused: an error, and
// nothing is written, as msgfmt --check-format would refuse it too; with
// keep_going a warning, and the base text stands in. Other charsets than
// UTF-8 are converted to UTF-8.
//
// The PO file is read twice, entry by entry, and never held as entries: a
// first pass notes where each entry starts, the second reads each one when
// the base asks for it.
#pragma once

#include <functional>
#include <span>
#include <string>

namespace qokit::po {

struct ImportOptions {
  bool keep_going = false;  // a refused translation gives the base text and a warning
};

// The message source of `po_file` in `out`; 0, or 1 after the diagnostics.
// A summary of the counts goes to standard error when the source is written.
// `drain`, when given, is handed `out` after each entry and may take the
// bytes written so far (clearing it), so that a large source is never held
// whole; what it leaves is the rest of the source.
[[nodiscard]] int ImportPo(const char* po_file, std::span<const char* const> base, const ImportOptions& options,
                           std::string& out, const std::function<void(std::string&)>& drain = {});

}  // namespace qokit::po
