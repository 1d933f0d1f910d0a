#include "messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "insert_syntax.h"
#include "msgstate.h"
#include "version_line.h"

namespace qokit::msgcomp {

void Report(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

void SayUsage() {
  Report("\nCorrect syntax:\n");
  Report("\n    qogenmsg gensym {symfile} {srcfile1} [{srcfile2} ...]\n");
  Report("\n    qogenmsg regensym {symfile} {srcfile1} [{srcfile2} ...]\n");
  Report("\n    qogenmsg genobj {symfile} {objfile} {srcfile1} [{srcfile2} ...]\n\n");
}
void SayHelp() {
  std::printf("Usage: qogenmsg gensym {symfile} {srcfile1} [{srcfile2} ...]\n"
              "       qogenmsg regensym {symfile} {srcfile1} [{srcfile2} ...]\n"
              "       qogenmsg genobj {symfile} {objfile} {srcfile1} [{srcfile2} ...]\n"
              "       qogenmsg SUBCOMMAND @RESPONSEFILE\n"
              "Compile message sources (at most %d). gensym writes the symbol file, a C\n"
              "header of the message symbols, when the symbol mapping changed; regensym\n"
              "writes it anew; genobj writes the message object file. A response file\n"
              "holds the file names, separated by blanks or lines.\n\n"
              "  --help     show this help and exit\n"
              "  --version  show the version and exit\n\n"
              "Exit status: 0 on success; 1 when a file cannot be opened or written or a\n"
              "text is refused; 255 for command-line errors, faults of the sources and a\n"
              "symbol file they disagree with; 2 without memory. After a failed gensym or\n"
              "genobj the program waits for a key on standard input.\n",
              kMaxSourceFiles);
}
void SayVersion(const char* version) { std::fputs(format::VersionLine("qogenmsg", version).c_str(), stdout); }
void SayTooFewArguments() { Report("Too few arguments specified.\n"); }
void SayTooManyArguments() { Report("Too many arguments specified.\n"); }
void SayNoStateMemory() { Report("Insufficient memory to initialize message compiler.\n"); }
void SayResponseFileError() { Report("Error processing response file.\n"); }
// The spelling "responce" is the program's own text.
void SayCannotOpenResponseFile(const char* path) { Report("Unable to open responce file \"%s\" for reading.\n", path); }
void SayUnknownSubcommand(const char* word) { Report("Unknown subcommand - %s.\n", word); }
void SayDuplicateFileName() { Report("Duplicate file name specified.\n"); }
void SayBadSourceDateEpoch(const char* value) {
  Report("SOURCE_DATE_EPOCH \"%s\" is not a time in seconds since the epoch (digits only, before year 10000).\n", value);
}
void SayCompileFailed(bool asksForKey) {
  Report("\nCompile failed.\n");
  if (asksForKey) {
    Report("Hit enter to continue...");
    std::fflush(stderr);
  }
}

void SayCannotOpenSource(const char* name) { Report("Unable to open source file \"%s\" for reading.\n", name); }
void SayOpenReason(int error_number) { Report("Reason: %s\n", std::strerror(error_number)); }
void SayNoEntries() { Report("No message entries in the source files.\n"); }
void SayMissingOrInvalid(const char* what, const char* file, long line) {
  Report("Missing or invalid %s - file %s, line %d.\n", what, file, static_cast<int>(line));
}
void SayPrematureEnd(const char* file) { Report("End of file %s reached prematurely.\n", file); }
void SayNoReadMemoryAndExit(const char* file) {
  Report("Insufficient memory to read file %s.\n", file);
  Report("Terminating program.\n");
  std::exit(1);
}

void SayReadErrorAndExit(const char* file, int error_number) {
  Report("Unable to read source file \"%s\".\n", file);
  SayOpenReason(error_number);
  Report("Terminating program.\n");
  std::exit(1);
}

void SayNoSymbolMemoryAndExit(bool metaSymbol) {
  if (metaSymbol) {
    Report("Insufficient memory to insert meta-symbol in symbol table.\n");
  } else {
    Report("Insufficient memory to insert symbol in symbol table.\n");
  }
  Report("Terminating program.\n");
  std::exit(1);
}
void SayInternalErrorAndAbort(const char* operation, const char* what) {
  Report("Internal error in msgsym, %s: %s.\n", operation, what);
  std::abort();
}

void SayInsertFault(InsertFault fault, int k, int32_t sourceFile, long sourceLine) {
  Report("curSourceLine: %ld \n", sourceLine);
  Report("curSourceFile: %d \n", static_cast<int>(sourceFile));
  switch (fault) {
    case InsertFault::kArgumentBelowOne: Report("Conversion %d: argument number is less than 1\n", k); break;
    case InsertFault::kArgumentAboveLimit:
      Report("Conversion %d: argument number is greater than %d\n", k, qokit::format::kMaxArgumentNumber);
      break;
    case InsertFault::kDuplicateArgument: Report("Conversion %d: duplicate argument number\n", k); break;
    case InsertFault::kNoPercent: Report("Conversion %d:percent sign must follow the argument number\n", k); break;
    case InsertFault::kDoublePercent: Report("Conversion %d: double percent sign...\n", k); break;
    case InsertFault::kNoLetter:
      Report("Conversion %d: no conversion character follows the percent sign\n", k);
      break;
    case InsertFault::kNotPrintf:
      Report("Conversion %d: invalid flags, width, precision or length in the conversion\n", k);
      break;
    case InsertFault::kSizeDiffers:
      Report("Conversion %d: length modifier does not match the size of the argument type\n", k);
      break;
    case InsertFault::kLonePercent:
      Report("Conversion %d: percent sign outside an insert must be written %%%%\n", k);
      break;
    case InsertFault::kNotASequence: Report("Argument numbers do not form a sequence starting with 1"); break;
  }
}
void SayLongDouble(const char* text) {
  Report("Long double (%%le, %%lf, or %%lg) not supported in this release.\n");
  Report("Raw message text:\n%s\n", text);
}
void SayTooManyStars() { Report("More than 2 asterisks in the control string\n"); }

void SayDuplicateNumbers() { Report("Error: Duplicate message numbers detected for the following symbol pairs:\n"); }
void SayDuplicateNames() { Report("Error: Duplicate symbol names detected for the following symbol pairs:\n"); }
void SaySymbolPair(const char* name, int32_t number, const char* file, long line) {
  Report("       (%s, %d)    file %s, line %d\n", name, static_cast<int>(number), file, static_cast<int>(line));
}
void SayDuplicateMetaSymbols() { Report("Error: Duplicate meta-symbol names detected:\n"); }
void SayMetaSymbolLine(const char* name, const char* file, long line) {
  Report("       %s    file %s, line %d\n", name, file, static_cast<int>(line));
}
void SayMismatched(int32_t number, const char* name) { Report("**** Mismatched: %d %s \n", static_cast<int>(number), name); }

void SaySymbolFileFault(const char* fault, const char* file, long line) {
  Report("%s found in symbol file %s, line %ld.\n", fault, file, line);
}
void SayMissingChecksum(const char* file) { Report("Missing checksum in symbol file %s.\n", file); }
void SayMissingTimestamp(const char* file) { Report("Missing timestamp in symbol file %s.\n", file); }
void SayInconsistentChecksum(const char* file) { Report("Checksum is inconsistent in symbol file %s.\n", file); }
void SayCannotWriteSymbolFile(const char* file) { Report("Unable to open symbol file \"%s\" for writing.\n", file); }
void SaySymbolFileWriteError(const char* file) { Report("Error occurred writing to symbol file %s.\n", file); }
void SayGenerated(long symbols, long highest) {
  std::printf("        Generated %ld symbols; highest message number was %ld.\n", symbols, highest);
}

void SayCannotReadSymbolFile(const char* file) { Report("Unable to open symbol file %s for reading.\n", file); }
void SayMappingDisagrees(const char* symbolFile) {
  Report("Error - symbol mapping in source file(s) disagrees with mapping in symbol file %s.\n", symbolFile);
}
void SayNoCompileMemory() { Report("Insufficient memory to compile message text.\n"); }
void SayMessageFailed(int32_t number, long line) { Report("Message num: %d, line %ld\n", static_cast<int>(number), line); }
void SayInPluralForm(int form) { Report("In form %d of the plural message.\n", form); }
void SayPluralFault(const char* symbol, const char* text, const char* file, long line) {
  if (symbol[0] == '\0') {
    Report("Error: %s.\n", text);
  } else {
    Report("Error: %s: %s - file %s, line %d.\n", symbol, text, file, static_cast<int>(line));
  }
}
void SayInvalidFormatCode(const char* kind, const char* file, long line) {
  Report("Invalid %s format code found in file %s, line %d.\n", kind, file, static_cast<int>(line));
}
void SayTooManyBlocks(const char* file, long blocks, long limit) {
  Report("Object file %s would need %ld blocks; at most %ld can be indexed.\n", file, blocks, limit);
}
void SayCannotOpenObjectFile(const char* file) { Report("Unable to open object file %s for writing.\n", file); }
void SayObjectWriteError(const char* file) { Report("Error occurred writing to object file %s.\n", file); }
void SayCompiled(long messages, long highest) {
  std::printf("        Compiled %ld messages; highest message number was %ld.\n", messages, highest);
}

}  // namespace qokit::msgcomp
