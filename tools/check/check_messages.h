// Every fixed text of the message checker qomsgcheck, each written once, next
// to the one format-checked helper that records them. A finding is printed
// as "FILE:LINE: error: SYMBOL: text" (or "warning:"); FILE is the name given
// on the command line, LINE the line where the entry's number stands, and
// "SYMBOL: " is left out where no symbol is known.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "diagnostics.h"
#include "source_diagnostics.h"

namespace qokit::check {

using cli::Severity;
// Where a finding belongs.
using cli::Where;

// What a finding is about, for callers that select findings.
enum class Topic { kSyntax, kDuplicate, kInsert, kCompile, kFormatCode, kSize, kLikelyWrong, kTranslation, kPlural };

struct Finding {
  Severity severity = Severity::kError;
  Topic topic = Topic::kSyntax;
  std::string file;
  long line = 0;
  std::string symbol;
  std::string text;
};

// The findings of one run, in the order found.
class Findings {
 public:
  explicit Findings(bool warnings = true) : warnings_(warnings) {}

  // Records one finding; a warning is dropped when warnings are off.
  [[gnu::format(printf, 5, 6)]] void Add(Severity severity, Topic topic, const Where& where, const char* format, ...);
  // An error about the run itself (a file that cannot be read): "qomsgcheck: text".
  [[gnu::format(printf, 2, 3)]] void Fail(const char* format, ...);

  const std::vector<Finding>& all() const { return findings_; }
  int errors() const { return errors_; }
  // Every finding in the GNU form, one line each.
  void Print(std::FILE* to) const;

 private:
  bool warnings_;
  int errors_ = 0;
  std::vector<Finding> findings_;
};

// How a byte is named in a text: 'x', the line end, the end of the sources or byte 0x07.
std::string ByteName(int byte);

// Source faults. `at` is where the offending byte stood when that is not the
// finding's own place ("" when it is).
void SaySyntax(Findings& out, const Where& where, const msgcomp::SyntaxFault& fault, std::string_view at);
// `form` is the plural form whose text has the fault, -1 for a message's one text.
void SayInsert(Findings& out, const Where& where, msgcomp::InsertFault fault, int conversion, int form);
void SayCompile(Findings& out, const Where& where, msgcomp::CompileFault fault, int conversion, int form);
void SayDuplicateNumber(Findings& out, const Where& where, int32_t number, const Where& earlier);
void SayDuplicateSymbol(Findings& out, const Where& where, int32_t number, const Where& earlier);
void SayDuplicateMeta(Findings& out, const Where& where, const Where& earlier);
// A plural message's or the plural rule's fault, in the compiler's words.
void SayPlural(Findings& out, const Where& where, std::string_view text);
void SayFormatCode(Findings& out, const Where& where, const char* kind, std::string_view value, int highest);
void SayTooManyBlocks(Findings& out, const Where& where, long blocks, long limit);
void SayCannotOpen(Findings& out, const char* file, int error);
void SayTooManySources(Findings& out, int limit);
// Sources without a single entry (empty, or only blanks and comments).
void SayNoEntries(Findings& out, std::span<const char* const> files);
void SayNoMemory(Findings& out);

// What is legal but likely wrong.
void SayNoRoomToTranslate(Findings& out, const Where& where, long bytes, long projected, int limit);
void SayInvalidUtf8(Findings& out, const Where& where, const char* part, long offset);
void SayBlankBeforeLineEnd(Findings& out, const Where& where);
void SayKeptBackslash(Findings& out, const Where& where, int next, std::string_view at);
void SayUnknownMeta(Findings& out, const Where& where);

// Translation against its base. `base` is the base entry's place.
void SayMissing(Findings& out, const Where& base, int32_t number);
void SayExtra(Findings& out, const Where& where, std::string_view baseOwner);
void SayNumberDiffers(Findings& out, const Where& where, int32_t number, int32_t baseNumber, const Where& base);
void SaySymbolDiffers(Findings& out, const Where& where, int32_t number, const Where& base);
void SayArgumentCount(Findings& out, const Where& where, int count, int baseCount, const Where& base);
void SayArgumentType(Findings& out, const Where& where, int argument, int type, int baseType, const Where& base);
void SayArgumentStars(Findings& out, const Where& where, int argument, int stars, int baseStars, const Where& base);
void SayPluralDiffers(Findings& out, const Where& where, bool plural, const Where& base);
void SayCountDiffers(Findings& out, const Where& where, int count, int baseCount, const Where& base);
void SaySeverityDiffers(Findings& out, const Where& where, int severity, int baseSeverity, const Where& base);
void SayResponseDiffers(Findings& out, const Where& where, std::string_view response, std::string_view baseResponse,
                        const Where& base);

// The command line: the tool (its --help and --version), and the usage
// errors, each returning the usage error's exit status.
extern const cli::ToolCommand kChecker;
int SayNoSources();
int SayNoTranslatedSources();
int SayMaxInsertsWithBase();
int SayNoHelpSources();
int SayHelpSourceAlone();
int SayHelpOptionWithoutHelpSource();
int SayLegacyLineLength();
int SayBadLineLength(const char* word);
void SayMaxInserts(int maxInserts);
void SayCannotReadHelp(const char* file, int error);

}  // namespace qokit::check
