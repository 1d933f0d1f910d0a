// A translated PO file turned back into a message source for its language.
//
// With base sources, every message of the base is written, in the base's
// order, with the base's number, severity and response; its text is the
// translation, or the base text for an entry that is untranslated, fuzzy,
// translates another text than the base's, or that the message format
// cannot carry (an "@", a NUL byte, over 1024 bytes). Entries whose symbol
// the base lacks and plural entries are dropped with a warning. Without base
// sources the entries themselves say all, as export wrote them: the facts
// comment, the msgctxt and the msgid as the base text.
//
// A translation whose conversions do not fit the original (another type,
// another star, an argument missing, twice or beyond the original's, a "%"
// that starts none) is an error: nothing is written, as msgfmt --check-format
// would refuse it too. Other charsets than UTF-8 are converted to UTF-8.
#pragma once

#include <span>
#include <string>

namespace qokit::po {

// The message source of `po_file` in `out`; 0, or 1 after the diagnostics.
// A summary of the counts goes to standard error when the source is written.
[[nodiscard]] int ImportPo(const char* po_file, std::span<const char* const> base, std::string& out);

}  // namespace qokit::po
