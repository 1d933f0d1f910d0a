// Message sources written as a PO file for translators: a header entry, then
// one entry per message and meta-symbol in source order (see po_entry.h).
#pragma once

#include <span>
#include <string>

namespace qokit::po {

// The PO file of the sources: with `pot` a template (every msgstr empty,
// header fuzzy with gettext's placeholders, as msginit expects), otherwise
// the base language's own catalogue (every msgstr the text). 0, or 1 after
// the diagnostics of every entry that cannot be exported.
[[nodiscard]] int ExportPo(std::span<const char* const> sources, bool pot, std::string& out);

}  // namespace qokit::po
