#include "po_messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace qokit::po {

const char kUsage[] =
    "Usage: qomsgpo export [-o FILE] [--pot] [--no-context] SOURCE...\n"
    "       qomsgpo import [-o FILE] [--keep-going] PO-FILE [BASE-SOURCE...]\n"
    "Turn message sources into a PO file for translators, and a translated PO\n"
    "file back into a message source.\n\n"
    "  export     write the messages of the sources as a PO file whose\n"
    "             translations are the texts themselves, or with --pot as a\n"
    "             template with empty translations\n"
    "  import     write the message source of the PO file's language; with base\n"
    "             sources the numbers, severities and responses come from them,\n"
    "             and their texts stand in for untranslated and fuzzy entries\n\n"
    "  -o FILE    write to FILE instead of standard output\n"
    "  --pot      (export) write a template\n"
    "  --no-context  (export) no msgctxt, as in a gettext project's files:\n"
    "             messages of one text share one entry\n"
    "  --keep-going  (import) use the base text for a translation that does not\n"
    "             fit its original, with a warning, instead of failing\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

namespace {

[[gnu::format(printf, 3, 4)]] void Diagnose(bool error, const Where& at, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = cli::FormatV(format, args);
  va_end(args);
  cli::PrintDiagnostic(stderr, error ? cli::Severity::kError : cli::Severity::kWarning, at, text);
}

// What is wrong with a text or format, for the diagnostics that name one.
std::string FaultText(const FormatError& e) {
  char text[200];
  const int c = e.conversion, a = e.argument;
  switch (e.fault) {
    case FormatFault::kNone: return {};
    case FormatFault::kBadInsert: std::snprintf(text, sizeof text, "insert %d is not one the compiler accepts", c); break;
    case FormatFault::kNotASequence:
      std::snprintf(text, sizeof text, "conversion %d: the arguments are not 1 to N, each shown once", c);
      break;
    case FormatFault::kLonePercent:
      std::snprintf(text, sizeof text, "conversion %d: a %% that starts no conversion (a percent sign is %%%%)", c);
      break;
    case FormatFault::kLiteralAt: std::snprintf(text, sizeof text, "an @, which would start an insert"); break;
    case FormatFault::kMixedNumbering:
      std::snprintf(text, sizeof text, "conversion %d: numbered (%%n$) and plain conversions mixed", c);
      break;
    case FormatFault::kBeyondArguments:
      std::snprintf(text, sizeof text, "conversion %d: %%%d$ is no argument of the original", c, a);
      break;
    case FormatFault::kStarsDiffer:
      std::snprintf(text, sizeof text, "conversion %d: argument %d has another * width or precision than in the original", c, a);
      break;
    case FormatFault::kUnsound:
      std::snprintf(text, sizeof text, "conversion %d: a conversion the message format cannot carry", c);
      break;
    case FormatFault::kTypeDiffers:
      std::snprintf(text, sizeof text, "conversion %d: argument %d has another type than in the original", c, a);
      break;
    case FormatFault::kArgumentTwice:
      std::snprintf(text, sizeof text, "conversion %d: argument %d is shown twice", c, a);
      break;
    case FormatFault::kArgumentMissing: std::snprintf(text, sizeof text, "argument %d is not shown", a); break;
  }
  return text;
}

}  // namespace

void SayCannotRead(const char* file, int error_number) { cli::SayCannotBeRead("qomsgpo", file, error_number); }
void SayCannotWrite(const char* file, int error_number) {
  cli::Report(stderr, "qomsgpo: %s: cannot be written: %s\n", file, std::strerror(error_number));
}
void SayTooLarge(const char* file) {
  cli::Report(stderr, "qomsgpo: %s: a PO file of 4 GiB or more is not read\n", file);
}

void SayNoEntries(std::span<const char* const> sources) {
  std::string names;
  for (const char* file : sources) names.append(names.empty() ? "" : ", ").append(file);
  cli::Report(stderr, "qomsgpo: no message entry in %s\n", names.c_str());
}
void SayExportTextFault(const Where& at, const FormatError& error) {
  Diagnose(true, at, "the text cannot be exported: %s", FaultText(error).c_str());
}
void SayExportFormCount(const Where& at, std::size_t forms, int nplurals) {
  Diagnose(true, at, "the message has %zu forms; the plural rule of the sources has %d", forms, nplurals);
}
void SayNotUtf8(const Where& at) { Diagnose(true, at, "the text is not UTF-8, the charset that the PO file declares"); }
void SayDuplicateSymbol(const Where& at, const char* first_file, long first_line) {
  Diagnose(true, at, "the symbol is defined twice (first at %s:%ld)", first_file, first_line);
}

void SayPoSyntax(const Where& at, const char* what) { Diagnose(true, at, "%s", what); }
void SayCharset(const Where& at, const char* problem) { Diagnose(true, at, "%s", problem); }
void SayBaseTextFault(const Where& at, const FormatError& error) {
  Diagnose(true, at, "the base text cannot be mapped: %s", FaultText(error).c_str());
}
void SayTranslationFault(const Where& at, const FormatError& error, bool keep_going) {
  Diagnose(!keep_going, at, "the translation does not fit the original: %s%s", FaultText(error).c_str(),
           keep_going ? "; the base text is used" : "");
}
void SayBadFormatCode(const Where& at, const char* kind, int highest, bool keep_going) {
  Diagnose(!keep_going, at, "the %s format code must be a number from 1 to %d%s", kind, highest,
           keep_going ? "; the base value is used" : "");
}
void SaySecondMsgid(const Where& at, long first_line) {
  Diagnose(false, at, "a second entry for this msgid (first at line %ld) is ignored", first_line);
}
void SayMsgidNotInBase(const Where& at) {
  Diagnose(false, at, "no message of the base sources has this msgid as its text; the entry is dropped");
}
void SayAmbiguousMsgid(const Where& at, int uses, const char* symbols) {
  Diagnose(false, at, "the msgid is the text of %d messages of the base (%s); its translation is used for each",
           uses, symbols);
}
void SayNoPluralRule(const Where& at) {
  Diagnose(true, at, "the file has plural entries but no Plural-Forms, and its Language has no built-in plural rule");
}
void SayBadPluralRule(const Where& at, const char* why) { Diagnose(true, at, "the Plural-Forms is no plural rule: %s", why); }
void SayPluralFormCount(const Where& at, std::size_t forms, int nplurals, bool keep_going) {
  Diagnose(!keep_going, at, "the entry has %zu plural forms; the file's plural rule has %d%s", forms, nplurals,
           keep_going ? "; the base text is used" : "");
}
void SayPluralFormFault(const Where& at, int form, const FormatError& error, bool keep_going) {
  Diagnose(!keep_going, at, "msgstr[%d] does not fit the original: %s%s", form, FaultText(error).c_str(),
           keep_going ? "; the base text is used" : "");
}
void SayPluralMismatch(const Where& at) {
  Diagnose(false, at, "the entry is plural where the base message is not, or the other way round (run msgmerge); "
                      "the base text is used");
}
void SayNoContext(const Where& at) {
  Diagnose(false, at, "the entry has no msgctxt, so no message symbol (give the base sources); the entry is dropped");
}
void SayNotInBase(const Where& at) { Diagnose(false, at, "no message of the base sources has this symbol; the entry is dropped"); }
void SaySecondEntry(const Where& at, long first_line) {
  Diagnose(false, at, "a second entry for this symbol (first at line %ld) is ignored", first_line);
}
void SayNoNumberComment(const Where& at) {
  Diagnose(true, at, "no \"#. qomsg:\" comment with the message number and severity (give the base sources)");
}
void SayMsgidFault(const Where& at, const FormatError& error) {
  Diagnose(true, at, "the msgid is not a text that export writes: %s", FaultText(error).c_str());
}
void SayResponseBracket(const Where& at) {
  Diagnose(true, at, "the response holds a ], which a message source cannot express");
}
void SayNotASymbol(const Where& at, int most) {
  Diagnose(true, at,
           "the msgctxt is no message symbol (a letter, then letters, digits and underscores, at most %d characters)",
           most);
}
void SayResponseInexpressible(const Where& at, int most) {
  Diagnose(true, at, "the response has more than %d bytes or a NUL byte, which a message source cannot express", most);
}
void SayMsgidInexpressible(const Where& at, int most) {
  Diagnose(true, at, "the msgid has more than %d bytes or a NUL byte, which a message text cannot hold", most);
}
void SayLiteralAt(const Where& at) {
  Diagnose(false, at, "the translation holds an @, which a message text cannot; the base text is used");
}
void SayNulByte(const Where& at) {
  Diagnose(false, at, "the translation holds a NUL byte, which a message text cannot; the base text is used");
}
void SayTooLong(const Where& at, std::size_t bytes, int most) {
  Diagnose(false, at, "the translation has %zu bytes, more than the %d of a message text; the base text is used", bytes,
           most);
}
void SayOutdated(const Where& at) {
  Diagnose(false, at, "the entry translates another text than the base's (run msgmerge); the base text is used");
}

void SayImportSummary(const char* po_file, const ImportCounts& c) {
  cli::Report(stderr,
              "qomsgpo: %s: %d translated, %d untranslated, %d fuzzy, %d not expressible, %d refused, %d dropped; "
              "base text used for %d\n",
              po_file, c.translated, c.untranslated, c.fuzzy, c.inexpressible, c.refused, c.dropped,
              c.untranslated + c.fuzzy + c.inexpressible + c.refused);
}

}  // namespace qokit::po
