// Every fixed text of qomsgpo, each written once, next to the one
// format-checked helper that prints them. Diagnostics go to standard error
// in the GNU form "FILE:LINE: error: SYMBOL: text" (or "warning:"), printed
// by the kit tools' one printer (diagnostics.h).
#pragma once

#include <cstddef>
#include <span>

#include "diagnostics.h"
#include "po_format.h"

namespace qokit::po {

// Where a diagnostic points; line 0 leaves the line out, an empty symbol the symbol.
using cli::Where;

// The command line (--help).
extern const char kUsage[];

// Files.
void SayCannotRead(const char* file, int error_number);
void SayCannotWrite(const char* file, int error_number);
void SayTooLarge(const char* file);

// Export.
void SayNoEntries(std::span<const char* const> sources);
void SayExportTextFault(const Where& at, const FormatError& error);
void SayNotUtf8(const Where& at);
void SayDuplicateSymbol(const Where& at, const char* first_file, long first_line);
void SayExportFormCount(const Where& at, std::size_t forms, int nplurals);

// Import: the PO file as a whole.
void SayPoSyntax(const Where& at, const char* what);
void SayCharset(const Where& at, const char* problem);
void SayBaseTextFault(const Where& at, const FormatError& error);
// Import: one entry.
void SayTranslationFault(const Where& at, const FormatError& error, bool keep_going);
void SayBadFormatCode(const Where& at, const char* kind, int highest, bool keep_going);
void SaySecondMsgid(const Where& at, long first_line);
void SayMsgidNotInBase(const Where& at);
void SayAmbiguousMsgid(const Where& at, int uses, const char* symbols);
void SayNoPluralRule(const Where& at);
void SayBadPluralRule(const Where& at, const char* why);
void SayPluralFormCount(const Where& at, std::size_t forms, int nplurals, bool keep_going);
void SayPluralFormFault(const Where& at, int form, const FormatError& error, bool keep_going);
void SayPluralMismatch(const Where& at);
void SayNoContext(const Where& at);
void SayNotInBase(const Where& at);
void SaySecondEntry(const Where& at, long first_line);
void SayNoNumberComment(const Where& at);
void SayMsgidFault(const Where& at, const FormatError& error);
void SayResponseBracket(const Where& at);
void SayNotASymbol(const Where& at, int most);
void SayResponseInexpressible(const Where& at, int most);
void SayMsgidInexpressible(const Where& at, int most);
void SayLiteralAt(const Where& at);
void SayNulByte(const Where& at);
void SayTooLong(const Where& at, std::size_t bytes, int most);
void SayOutdated(const Where& at);

struct ImportCounts {
  int translated = 0;
  int untranslated = 0;
  int fuzzy = 0;          // fuzzy or translating an older text
  int inexpressible = 0;  // translated, but the format cannot carry it
  int refused = 0;        // translated, but wrong (with --keep-going)
  int dropped = 0;        // symbol or text not in the base
};
void SayImportSummary(const char* po_file, const ImportCounts& counts);

}  // namespace qokit::po
