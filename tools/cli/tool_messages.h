// Every fixed text of the dump tools and qostamp, each written once and
// printed by the one format-checked helper (diagnostics.h). Diagnostics go
// to standard error (or the error stream a dumper was given), the dumps to
// standard output.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace qokit::cli {

// The usage texts (--help).
extern const char kQomsgdumpUsage[];
extern const char kVexdumpUsage[];
extern const char kQostampUsage[];

// The dump tools. SayCannotRead and the other texts that end in the reason
// read it from errno.
void SayCannotRead(const char* tool, const char* path);

// qomsgdump.
void SayCannotReadSymbolFile(const char* path);
void SayNoMaxInserts(const char* path);
void SayCannotLoad(const char* path, const char* reason, const char* detail);
void SayResponseHoldsBracket(std::FILE* err, long number);
void SayLiteralAt(std::FILE* err, long number);
void SayBadPluralTable(std::FILE* err, const char* detail);

// vexdump: the tables, the sections (each line or byte run between bars),
// and the faults found.
void ListLinkCount(std::FILE* out, std::size_t count);
void ListLink(std::FILE* out, std::size_t index, unsigned clntid, unsigned tocndx, unsigned butndx);
void ListTocCount(std::FILE* out, std::size_t count, unsigned text_offset);
void ListToc(std::FILE* out, std::size_t index, unsigned type, unsigned sndx, unsigned offset, unsigned length,
             const char* button);
void ListSectionHeading(std::FILE* out, std::size_t index, const char* button, const char* tag, unsigned clntid,
                        unsigned butndx);
void ListLine(std::FILE* out, std::string_view line);
void ListByteRun(std::FILE* out, std::string_view bytes);
void SayHelpFileProblem(std::FILE* err, const char* name, const char* text);

// qostamp.
void SayNotAnEpoch(const char* text);
void SayCannotStampRead(const char* path);
void SayNoCompileTime(const char* path);
void SayCannotRewrite(const char* path);

}  // namespace qokit::cli
