// Every fixed text of the dump tools and qostamp, each written once, next to
// the one format-checked helper that prints them. Diagnostics go to standard
// error (or the error stream a dumper was given), --help and --version and
// the dumps to standard output.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

#include "qokit/qomsg.h"

namespace qokit::cli {

[[gnu::format(printf, 2, 3)]] void Report(std::FILE* to, const char* format, ...);

// The usage texts, printed by SayUsage.
extern const char kQomsgdumpUsage[];
extern const char kVexdumpUsage[];
extern const char kQostampUsage[];

// Every tool. SayCannotRead and the other texts that end in the reason
// read it from errno.
void SayUsage(std::FILE* to, const char* usage);
void SayVersion(const char* tool, const char* version);
void SayUnexpectedArgument(const char* tool, const char* arg);
void SayCannotRead(const char* tool, const char* path);
void SayCannotWriteOutput(const char* tool);

// qomsgdump.
void SayCannotReadSymbolFile(const char* path);
void SayNoMaxInserts(const char* path);
void SayCannotLoad(const char* path, const char* reason, const char* detail);
// The message source it writes: the summary comment and the format codes.
void WriteSourceHeading(std::FILE* out, const qomsg_info& info);
void SayResponseHoldsBracket(std::FILE* err, long number);
void SayLiteralAt(std::FILE* err, long number);

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
