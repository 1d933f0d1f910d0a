// Message sources written as a PO file for translators: a header entry, then
// one entry per message and meta-symbol in source order (see po_entry.h).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qokit::po {

struct ExportOptions {
  bool pot = false;         // a template: every msgstr empty, the header fuzzy
                            // with gettext's placeholders, as msginit expects
  bool no_context = false;  // messages without msgctxt, as a gettext project
                            // has them: messages of one text share one entry
};

// The PO file of the sources: a template, or the base language's own
// catalogue (every msgstr the text), as `po`, a view into `out` (which may
// hold more before it). 0, or 1 after the diagnostics of every entry that
// cannot be exported.
[[nodiscard]] int ExportPo(std::span<const char* const> sources, const ExportOptions& options, std::string& out,
                           std::string_view& po);

}  // namespace qokit::po
