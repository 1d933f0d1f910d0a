// One message of a source as a PO entry, and the entry's facts read back.
//
//   #. qomsg: number 7, severity K, response "Yes"
//   #. qomsg: number 8, severity I, count 2   (a plural message's {@2})
//   #: client.msg:18
//   #, c-format
//   msgctxt "SESS_PASSWORD"
//   msgid "The password for node %1$s has expired. Change it now?"
//   msgstr ""
//
// The symbol is the msgctxt. The number, the severity letter and the
// response stand in an extracted comment, which msgmerge and msginit keep
// from the template; the response is a C string there. Every message is
// flagged c-format, since a client formats every text with printf's rules
// ("%%" in any text prints one "%"). A meta-symbol (number 0) is a setting,
// not a text: its value is the msgid as it stands, flagged no-c-format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "po_file.h"
#include "po_format.h"
#include "po_plural.h"
#include "source_entries.h"

namespace qokit::po {

inline constexpr char kFactsPrefix[] = "qomsg: number ";

// The facts of an entry's "#. qomsg:" comment.
struct EntryFacts {
  int32_t number = 0;
  int32_t severity = 0;
  int count = 0;  // a plural message's count argument named with {@k}; 0: none named
  std::string response;
};

// The entry of a source entry, msgstr empty (a template) or the text
// itself; false with the fault when a message text cannot be mapped (kNone:
// a plural message has not as many forms as `rule`, the sources' rule). A
// plural message is a plural entry (po_plural.h); a template has two empty
// msgstr for it, as gettext's templates have.
[[nodiscard]] bool EntryFor(const msgcomp::SourceEntry& source, const std::string& file, bool with_text,
                            const PluralRuleOf& rule, PoEntry& entry, FormatError& error);

// The entry that EntryFor gives for a source entry that is not plural,
// appended to `out` as WritePoEntry writes it, without a PoEntry between:
// `msgid` is the text's PO form (SourceToPo), a meta-symbol's value as it
// is; `plain_msgid` that it is known to need no escape (IsPlainAscii).
void WriteTextEntry(std::string& out, const msgcomp::SourceEntry& source, std::string_view file, bool with_text,
                    std::string_view msgid, bool plain_msgid = false);

// Appends the text of an entry's facts comment, "qomsg: number 7, ...".
void AppendFacts(std::string& out, const msgcomp::SourceEntry& source);
// Appends an entry's reference, "client.msg:18".
void AppendReference(std::string& out, std::string_view file, long line);

// The facts of an entry's comment; false when it has none or it is malformed.
[[nodiscard]] bool ReadFacts(const PoEntry& entry, EntryFacts& facts);

// Whether a text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

}  // namespace qokit::po
