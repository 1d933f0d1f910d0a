#include "check_messages.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "command_line.h"
#include "help_syntax.h"
#include "insert_syntax.h"
#include "msgsym_types.h"
#include "plural_forms.h"
#include "source_reader.h"

namespace qokit::check {

namespace {

constexpr char kProgram[] = "qomsgcheck";

// "a.msg:12" of an earlier entry, for texts that point at it.
std::string PlaceText(const Where& where) {
  std::string text(where.file);
  text.append(":").append(std::to_string(where.line));
  return text;
}

// "form N: " before a finding about one form of a plural message.
std::array<char, 24> FormPrefix(int form) {
  std::array<char, 24> text{};
  if (form >= 0) std::snprintf(text.data(), text.size(), "form %d: ", form);
  return text;
}

// " (at ...)" when a fault's byte stood elsewhere than the finding's line.
std::string AtSuffix(std::string_view at) {
  std::string suffix;
  if (!at.empty()) suffix.append(" (at ").append(at).append(")");
  return suffix;
}

const char* TypeName(int type) {
  switch (type) {
    case qokit::format::kTypePointer: return "a string or pointer";
    case qokit::format::kTypeInt: return "an int";
    case qokit::format::kTypeLong: return "a long";
    case qokit::format::kTypeDouble: return "a double";
    default: return "of no known type";
  }
}

char SeverityLetter(int code) {
  return code >= 0 && code < static_cast<int>(std::strlen(msgcomp::kSeverityLetters)) ? msgcomp::kSeverityLetters[code] : '?';
}

}  // namespace

void Findings::Add(Severity severity, Topic topic, const Where& where, const char* format, ...) {
  if (severity == Severity::kWarning && !warnings_) return;
  va_list args;
  va_start(args, format);
  findings_.push_back({severity, topic, std::string(where.file), where.line, std::string(where.symbol),
                       cli::FormatV(format, args)});
  va_end(args);
  if (severity == Severity::kError) ++errors_;
}

void Findings::Fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  findings_.push_back({Severity::kError, Topic::kSyntax, {}, 0, {}, cli::FormatV(format, args)});
  va_end(args);
  ++errors_;
}

void Findings::Print(std::FILE* to) const {
  for (const Finding& f : findings_) {
    if (f.file.empty()) {
      std::fprintf(to, "%s: %s\n", kProgram, f.text.c_str());
      continue;
    }
    cli::PrintDiagnostic(to, f.severity, {f.file, f.line, f.symbol}, f.text);
  }
}

std::string ByteName(int byte) {
  char name[16];
  if (byte < 0) {
    std::snprintf(name, sizeof name, "the end");
  } else if (byte == '\n') {
    std::snprintf(name, sizeof name, "the line end");
  } else if (byte > ' ' && byte < 0x7f) {
    std::snprintf(name, sizeof name, "'%c'", byte);
  } else {
    std::snprintf(name, sizeof name, "byte 0x%02x", static_cast<unsigned>(byte));
  }
  return name;
}

void SaySyntax(Findings& out, const Where& where, const msgcomp::SyntaxFault& fault, std::string_view at) {
  const std::string found = ByteName(fault.byte);
  const std::string suffix = AtSuffix(at);
  const char* f = found.c_str();
  const char* s = suffix.c_str();
  constexpr Severity e = Severity::kError;
  constexpr Topic t = Topic::kSyntax;
  switch (fault.cause) {
    case msgcomp::SyntaxCause::kNoNumber: out.Add(e, t, where, "expected a message number, found %s%s", f, s); break;
    case msgcomp::SyntaxCause::kNumberTooLong:
      out.Add(e, t, where, "message number of more than %d digits%s", msgcomp::kMaxNumberDigits, s);
      break;
    case msgcomp::SyntaxCause::kNumberOutOfRange:
      out.Add(e, t, where, "message number above %d%s", static_cast<int>(msgcomp::kMaxMsgNum), s);
      break;
    case msgcomp::SyntaxCause::kNoSeverity:
      out.Add(e, t, where, "expected a severity letter (one of %s) after the number, found %s%s", msgcomp::kSeverityLetters, f,
              s);
      break;
    case msgcomp::SyntaxCause::kSeverityTooLong:
      out.Add(e, t, where, "a letter (%s) directly after the severity letter%s", f, s);
      break;
    case msgcomp::SyntaxCause::kUnknownSeverity:
      out.Add(e, t, where, "%s is not a severity letter (one of %s, upper case)%s", f, msgcomp::kSeverityLetters, s);
      break;
    case msgcomp::SyntaxCause::kNoSymbol:
      out.Add(e, t, where, "expected a symbol (a letter, then letters, digits and '_'), found %s%s", f, s);
      break;
    case msgcomp::SyntaxCause::kSymbolTooLong: out.Add(e, t, where, "symbol longer than %d characters%s", msgcomp::kMaxSymbolLen, s); break;
    case msgcomp::SyntaxCause::kResponseTooLong:
      out.Add(e, t, where, "response longer than %d bytes%s", msgcomp::kMaxResponseLen, s);
      break;
    case msgcomp::SyntaxCause::kNoText:
      out.Add(e, t, where, "expected the text, a string in double quotes, found %s%s", f, s);
      break;
    case msgcomp::SyntaxCause::kTextTooLong: out.Add(e, t, where, "text longer than %d bytes%s", msgcomp::kMaxTextLen, s); break;
    case msgcomp::SyntaxCause::kNoNextEntry:
      out.Add(e, t, where, "expected another string, '|' or the next entry's number after the text, found %s%s", f, s);
      break;
    case msgcomp::SyntaxCause::kBadCount:
      out.Add(e, t, where, "expected {@N} naming the count argument, found %s%s", f, s);
      break;
    case msgcomp::SyntaxCause::kTooManyForms:
      out.Add(e, t, where, "more than %d plural forms%s", msgcomp::kMaxPluralForms, s);
      break;
    case msgcomp::SyntaxCause::kStraySlash: out.Add(e, t, where, "'/' that begins no comment%s", s); break;
    case msgcomp::SyntaxCause::kEndInComment: out.Add(e, t, where, "the sources end inside a comment%s", s); break;
    case msgcomp::SyntaxCause::kEndInString: out.Add(e, t, where, "the sources end inside a string or response%s", s); break;
    case msgcomp::SyntaxCause::kEndInEntry: out.Add(e, t, where, "the sources end before the entry is complete%s", s); break;
  }
}


void SayInsert(Findings& out, const Where& where, msgcomp::InsertFault fault, int k, int form) {
  const auto in = FormPrefix(form);
  const char* const f = in.data();
  constexpr Severity e = Severity::kError;
  constexpr Topic t = Topic::kInsert;
  switch (fault) {
    case msgcomp::InsertFault::kArgumentBelowOne: out.Add(e, t, where, "%sinsert %d: argument number missing or below 1", f, k); break;
    case msgcomp::InsertFault::kArgumentAboveLimit:
      out.Add(e, t, where, "%sinsert %d: argument number above %d", f, k, qokit::format::kMaxArgumentNumber);
      break;
    case msgcomp::InsertFault::kDuplicateArgument:
      out.Add(e, t, where, "%sinsert %d: argument number of an earlier insert", f, k);
      break;
    case msgcomp::InsertFault::kNoPercent: out.Add(e, t, where, "%sinsert %d: no '%%' right after the argument number", f, k); break;
    case msgcomp::InsertFault::kDoublePercent:
      out.Add(e, t, where, "%sinsert %d: '%%%%' right after the argument number", f, k);
      break;
    case msgcomp::InsertFault::kNoLetter:
      out.Add(e, t, where, "%sinsert %d: no conversion letter (one of %s) after the '%%'", f, k,
              qokit::format::kConversionLetters.data());
      break;
    case msgcomp::InsertFault::kNotPrintf:
      out.Add(e, t, where, "%sinsert %d: printf reads the flags, width, precision or length of the conversion otherwise", f,
              k);
      break;
    case msgcomp::InsertFault::kSizeDiffers:
      out.Add(e, t, where, "%sinsert %d: the length modifier does not match the size of the argument type", f, k);
      break;
    case msgcomp::InsertFault::kLonePercent:
      out.Add(e, t, where, "%sa '%%' of the literal text must be written '%%%%' (printf would take it for conversion %d)", f,
              k);
      break;
    case msgcomp::InsertFault::kNotASequence:
      out.Add(e, t, where, "%sargument numbers do not run from 1 to the number of inserts", f);
      break;
  }
}

void SayCompile(Findings& out, const Where& where, msgcomp::CompileFault fault, int k, int form) {
  const auto in = FormPrefix(form);
  const char* const f = in.data();
  if (fault == msgcomp::CompileFault::kLongDouble) {
    out.Add(Severity::kError, Topic::kCompile, where, "%sinsert %d: long double (l or L before e, E, f, g, G) is not supported", f,
            k);
  } else {
    out.Add(Severity::kError, Topic::kCompile, where, "%sinsert %d: more than 2 '*' in the conversion", f, k);
  }
}

void SayDuplicateNumber(Findings& out, const Where& where, int32_t number, const Where& earlier) {
  out.Add(Severity::kError, Topic::kDuplicate, where, "message number %d is already %.*s's (%s)",
          static_cast<int>(number), static_cast<int>(earlier.symbol.size()), earlier.symbol.data(),
          PlaceText(earlier).c_str());
}

void SayDuplicateSymbol(Findings& out, const Where& where, int32_t number, const Where& earlier) {
  out.Add(Severity::kError, Topic::kDuplicate, where, "symbol already defined, as number %d (%s)",
          static_cast<int>(number), PlaceText(earlier).c_str());
}

void SayDuplicateMeta(Findings& out, const Where& where, const Where& earlier) {
  out.Add(Severity::kError, Topic::kDuplicate, where, "meta-symbol already set (%s)", PlaceText(earlier).c_str());
}

void SayFormatCode(Findings& out, const Where& where, const char* kind, std::string_view value, int highest) {
  out.Add(Severity::kError, Topic::kFormatCode, where, "invalid %s format code \"%.*s\" (a number from 1 to %d)", kind,
          static_cast<int>(value.size()), value.data(), highest);
}

void SayTooManyBlocks(Findings& out, const Where& where, long blocks, long limit) {
  out.Add(Severity::kError, Topic::kSize, where,
          "the object file would need %ld blocks up to this message; at most %ld can be indexed", blocks, limit);
}

void SayCannotOpen(Findings& out, const char* file, int error) {
  out.Fail("%s: cannot be read: %s", file, std::strerror(error));
}

void SayNoEntries(Findings& out, std::span<const char* const> files) {
  std::string names;
  for (const char* file : files) names.append(names.empty() ? "" : ", ").append(file);
  out.Fail("no message entry in %s", names.c_str());
}

void SayNoMemory(Findings& out) { out.Fail("out of memory"); }

void SayTooManySources(Findings& out, int limit) {
  out.Fail("at most %d message sources make one catalogue", limit);
}

void SayNoRoomToTranslate(Findings& out, const Where& where, long bytes, long projected, int limit) {
  out.Add(Severity::kWarning, Topic::kLikelyWrong, where,
          "text of %ld bytes may pass the %d-byte limit once translated (some %ld bytes where letters take 2 or 3)",
          bytes, limit, projected);
}

void SayInvalidUtf8(Findings& out, const Where& where, const char* part, long offset) {
  out.Add(Severity::kWarning, Topic::kLikelyWrong, where, "invalid UTF-8 in the %s at byte %ld", part, offset);
}

void SayBlankBeforeLineEnd(Findings& out, const Where& where) {
  out.Add(Severity::kWarning, Topic::kLikelyWrong, where, "blank or tab before a line end in the text");
}

void SayKeptBackslash(Findings& out, const Where& where, int next, std::string_view at) {
  out.Add(Severity::kWarning, Topic::kLikelyWrong, where, "backslash before %s begins no escape and stays in the text%s",
          ByteName(next).c_str(), AtSuffix(at).c_str());
}

void SayUnknownMeta(Findings& out, const Where& where) {
  out.Add(Severity::kWarning, Topic::kLikelyWrong, where,
          "meta-symbol sets nothing (the object file takes DATEFORMAT, TIMEFORMAT, NUMBERFORMAT, PLURALFORMS and "
          "LANGUAGE)");
}

void SayPlural(Findings& out, const Where& where, std::string_view text) {
  out.Add(Severity::kError, Topic::kPlural, where, "%.*s", static_cast<int>(text.size()), text.data());
}

void SayMissing(Findings& out, const Where& base, int32_t number) {
  out.Add(Severity::kError, Topic::kTranslation, base,
          "not in the translation (a client asking for message %d gets QOMSG_ERR_NOT_FOUND)", static_cast<int>(number));
}

void SayExtra(Findings& out, const Where& where, std::string_view baseOwner) {
  if (baseOwner.empty()) {
    out.Add(Severity::kError, Topic::kTranslation, where, "not in the base");
  } else {
    out.Add(Severity::kError, Topic::kTranslation, where, "not in the base (whose message of this number is %.*s)",
            static_cast<int>(baseOwner.size()), baseOwner.data());
  }
}

void SayNumberDiffers(Findings& out, const Where& where, int32_t number, int32_t baseNumber, const Where& base) {
  out.Add(Severity::kError, Topic::kTranslation, where, "numbered %d here, %d in the base (%s)", static_cast<int>(number),
          static_cast<int>(baseNumber), PlaceText(base).c_str());
}

void SaySymbolDiffers(Findings& out, const Where& where, int32_t number, const Where& base) {
  out.Add(Severity::kError, Topic::kTranslation, where, "number %d is %.*s in the base (%s)", static_cast<int>(number),
          static_cast<int>(base.symbol.size()), base.symbol.data(), PlaceText(base).c_str());
}

void SayArgumentCount(Findings& out, const Where& where, int count, int baseCount, const Where& base) {
  out.Add(Severity::kError, Topic::kTranslation, where, "takes %d argument(s), the base text %d (%s)", count, baseCount,
          PlaceText(base).c_str());
}

void SayArgumentType(Findings& out, const Where& where, int argument, int type, int baseType, const Where& base) {
  out.Add(Severity::kError, Topic::kTranslation, where, "argument %d is %s here, %s in the base (%s)", argument,
          TypeName(type), TypeName(baseType), PlaceText(base).c_str());
}

void SayArgumentStars(Findings& out, const Where& where, int argument, int stars, int baseStars, const Where& base) {
  out.Add(Severity::kError, Topic::kTranslation, where,
          "argument %d takes %d '*' int(s) before its value here, %d in the base (%s)", argument, stars, baseStars,
          PlaceText(base).c_str());
}

void SayPluralDiffers(Findings& out, const Where& where, bool plural, const Where& base) {
  out.Add(Severity::kError, Topic::kTranslation, where, plural ? "plural here, not in the base (%s)"
                                                               : "not plural here, plural in the base (%s)",
          PlaceText(base).c_str());
}

void SayCountDiffers(Findings& out, const Where& where, int count, int baseCount, const Where& base) {
  const auto name = [](int k) { return k == 0 ? std::string("no argument") : "argument " + std::to_string(k); };
  out.Add(Severity::kError, Topic::kTranslation, where, "the count is %s here, %s in the base (%s)", name(count).c_str(),
          name(baseCount).c_str(), PlaceText(base).c_str());
}

void SaySeverityDiffers(Findings& out, const Where& where, int severity, int baseSeverity, const Where& base) {
  out.Add(Severity::kWarning, Topic::kTranslation, where, "severity %c here, %c in the base (%s)", SeverityLetter(severity),
          SeverityLetter(baseSeverity), PlaceText(base).c_str());
}

void SayResponseDiffers(Findings& out, const Where& where, std::string_view response, std::string_view baseResponse,
                        const Where& base) {
  out.Add(Severity::kWarning, Topic::kTranslation, where, "response [%.*s] here, [%.*s] in the base (%s)",
          static_cast<int>(response.size()), response.data(), static_cast<int>(baseResponse.size()),
          baseResponse.data(), PlaceText(base).c_str());
}

namespace {

const char kUsage[] =
    "Usage: qomsgcheck [OPTION]... SOURCE...\n"
    "  or:  qomsgcheck [OPTION]... --base BASE-SOURCE... -- TRANSLATED-SOURCE...\n"
    "  or:  qomsgcheck [OPTION]... --max-inserts SOURCE...\n"
    "  or:  qomsgcheck [OPTION]... --help-source [--legacy | --line-length N] FILE...\n"
    "Check message sources for everything the message compiler refuses, in every\n"
    "entry, and for what is legal but likely wrong; with --base, check that a\n"
    "translation has the base's messages with the same numbers and arguments;\n"
    "with --help-source, check help sources for what the help compilers cut or\n"
    "misread.\n\n"
    "      --base         the sources up to '--' are the base, those after it its\n"
    "                     translation; both are checked on their own as well\n"
    "      --max-inserts  print the highest insert count of any message\n"
    "      --help-source  the files are help sources (tagged syntax)\n"
    "      --legacy       (--help-source) the legacy syntax\n"
    "      --line-length N  (--help-source) the help file's line length\n"
    "                     (default 72)\n"
    "  -w, --no-warnings  report errors only\n"
    "      --help         show this help and exit\n"
    "      --version      show the version and exit\n\n"
    "Exit status: 0 when no error was found (warnings alone give 0), 1 when one\n"
    "was, 2 for usage errors.\n";
static_assert(format::kDefaultLineSize == 72, "the usage text names the default line length");

}  // namespace

const cli::ToolCommand kChecker = {kProgram, kUsage, QOKIT_VERSION};

int SayNoSources() { return cli::UsageError(kChecker, "no message source given"); }
int SayNoTranslatedSources() {
  return cli::UsageError(kChecker, "--base needs '--' and the translated sources after it");
}
int SayMaxInsertsWithBase() { return cli::UsageError(kChecker, "--max-inserts and --base do not go together"); }
int SayNoHelpSources() { return cli::UsageError(kChecker, "no help source given"); }
int SayHelpSourceAlone() {
  return cli::UsageError(kChecker, "--help-source goes with neither --base nor --max-inserts");
}
int SayHelpOptionWithoutHelpSource() {
  return cli::UsageError(kChecker, "--legacy and --line-length go with --help-source");
}
int SayLegacyLineLength() { return cli::UsageError(kChecker, "the legacy syntax has no line length"); }
int SayBadLineLength(const char* word) {
  return cli::UsageErrorF(kChecker, "line length '%s' is not a decimal number", word);
}
void SayCannotReadHelp(const char* file, int error) { cli::SayCannotBeRead(kProgram, file, error); }
void SayMaxInserts(int maxInserts) { std::printf("%d\n", maxInserts); }

}  // namespace qokit::check
