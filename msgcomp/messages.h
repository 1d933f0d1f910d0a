// Every fixed text of the message compiler, each written once, next to the
// one format-checked helper that prints them. Diagnostics go to standard
// error, the two success summaries (and --help, --version) to standard output.
#pragma once

#include <cstdint>

namespace qokit::msgcomp {

[[gnu::format(printf, 1, 2)]] void Report(const char* format, ...);

// --help and --version, on standard output.
void SayHelp();
void SayVersion(const char* version);

// Command line and response files.
void SayUsage();
void SayTooFewArguments();
void SayTooManyArguments();
void SayNoStateMemory();
void SayResponseFileError();
void SayCannotOpenResponseFile(const char* path);
void SayUnknownSubcommand(const char* word);
void SayDuplicateFileName();
// SOURCE_DATE_EPOCH is set but holds no time the compiler can record.
void SayBadSourceDateEpoch(const char* value);
// After a failed compile; gensym and genobj then ask for a key.
void SayCompileFailed(bool asksForKey);

// Sources. `what` is one of the parts of an entry that a syntax error names.
inline constexpr char kNumberError[] = "message number";
inline constexpr char kSeverityError[] = "severity code";
inline constexpr char kSymbolError[] = "message symbol";
inline constexpr char kTextError[] = "message text string";
inline constexpr char kResponseError[] = "response string";
inline constexpr char kResponseEscapeError[] = "response text string";
void SayCannotOpenSource(const char* name);
// After SayCannotOpenSource when the name opened but is no file to read.
void SayOpenReason(int error_number);
void SayNoEntries();
void SayMissingOrInvalid(const char* what, const char* file, long line);
void SayPrematureEnd(const char* file);
// Out of memory for the bytes of a source or the symbol file ends the run.
[[noreturn]] void SayNoReadMemoryAndExit(const char* file);
[[noreturn]] void SayReadErrorAndExit(const char* file, int error_number);

// Symbol table: out of memory ends the run; a broken precondition aborts.
[[noreturn]] void SayNoSymbolMemoryAndExit(bool metaSymbol);
[[noreturn]] void SayInternalErrorAndAbort(const char* operation, const char* what);

// Inserts, first pass: each fault follows the reader's position lines.
enum class InsertFault {
  kArgumentBelowOne, kArgumentAboveLimit, kDuplicateArgument, kNoPercent, kDoublePercent, kNoLetter,
  kNotPrintf, kSizeDiffers, kLonePercent,
  kNotASequence,  // argument numbers are not 1..N; names no conversion
};
void SayInsertFault(InsertFault fault, int conversion, int32_t sourceFile, long sourceLine);
// Inserts, second pass.
void SayLongDouble(const char* text);
void SayTooManyStars();

// First pass over the sources.
void SayDuplicateNumbers();
void SayDuplicateNames();
void SaySymbolPair(const char* name, int32_t number, const char* file, long line);
void SayDuplicateMetaSymbols();
void SayMetaSymbolLine(const char* name, const char* file, long line);
void SayMismatched(int32_t number, const char* name);

// Symbol file. `fault` is "Duplicate checksum line", "Bad message number", ...
void SaySymbolFileFault(const char* fault, const char* file, long line);
void SayMissingChecksum(const char* file);
void SayMissingTimestamp(const char* file);
void SayInconsistentChecksum(const char* file);
void SayCannotWriteSymbolFile(const char* file);
void SaySymbolFileWriteError(const char* file);
void SayGenerated(long symbols, long highest);

// Object file.
void SayCannotReadSymbolFile(const char* file);
void SayMappingDisagrees(const char* symbolFile);
void SayNoCompileMemory();
void SayMessageFailed(int32_t number, long line);
// A plural message's or the plural rule's fault; `symbol` empty for one of
// the whole catalogue.
void SayPluralFault(const char* symbol, const char* text, const char* file, long line);
// After an insert fault of one form of a plural message: which form.
void SayInPluralForm(int form);
void SayInvalidFormatCode(const char* kind, const char* file, long line);
void SayTooManyBlocks(const char* file, long blocks, long limit);
void SayCannotOpenObjectFile(const char* file);
void SayObjectWriteError(const char* file);
void SayCompiled(long messages, long highest);

}  // namespace qokit::msgcomp
