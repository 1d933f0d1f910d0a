#include "tool_messages.h"

#include <cerrno>
#include <cstring>

#include "diagnostics.h"

namespace qokit::cli {

const char kQomsgdumpUsage[] =
    "Usage: qomsgdump [-s SYMFILE] OBJFILE\n"
    "  or:  qomsgdump --max-inserts SYMFILE\n"
    "Print a message object file as message source text, or the largest insert\n"
    "count that a symbol file records.\n\n"
    "  -s, --symbols SYMFILE  take the message symbols from a symbol file\n"
    "      --max-inserts      print the symbol file's _MAX_INSERTS value\n"
    "      --help             show this help and exit\n"
    "      --version          show the version and exit\n";
const char kVexdumpUsage[] =
    "Usage: vexdump [--legacy] HELPFILE\n"
    "Print a help file's tables and sections and check their consistency.\n\n"
    "      --legacy   the file has the legacy layout (text as a byte stream)\n"
    "      --help     show this help and exit\n"
    "      --version  show the version and exit\n";
const char kQostampUsage[] =
    "Usage: qostamp EPOCH FILE...\n"
    "Set the compile time written into symbol files and message object files to\n"
    "EPOCH (seconds since 1970-01-01 00:00:00 UTC, as in SOURCE_DATE_EPOCH).\n"
    "A file that already holds that time is left untouched.\n\n"
    "      --help     show this help and exit\n"
    "      --version  show the version and exit\n";

void SayCannotRead(const char* tool, const char* path) {
  Report(stderr, "%s: cannot read %s: %s\n", tool, path, std::strerror(errno));
}

void SayCannotReadSymbolFile(const char* path) {
  Report(stderr, "qomsgdump: cannot read symbol file %s: %s\n", path, std::strerror(errno));
}
void SayNoMaxInserts(const char* path) {
  Report(stderr, "qomsgdump: %s: no _MAX_INSERTS line with a number\n", path);
}
void SayCannotLoad(const char* path, const char* reason, const char* detail) {
  Report(stderr, "qomsgdump: %s: %s: %s\n", path, reason, detail);
}
void SayResponseHoldsBracket(std::FILE* err, long number) {
  Report(err, "message %ld: a response holding ] cannot be written as source\n", number);
}
void SayLiteralAt(std::FILE* err, long number) {
  Report(err, "message %ld: a literal @ cannot be written as source\n", number);
}
void SayBadPluralTable(std::FILE* err, const char* detail) {
  Report(err, "the plural table cannot be read (%s); its messages are written as they are stored\n", detail);
}

void ListLinkCount(std::FILE* out, std::size_t count) { Report(out, "Link entries: %zu\n", count); }
void ListLink(std::FILE* out, std::size_t index, unsigned clntid, unsigned tocndx, unsigned butndx) {
  Report(out, " %3zu clntid = %5u tocndx = %5u butndx = %5u\n", index, clntid, tocndx, butndx);
}
void ListTocCount(std::FILE* out, std::size_t count, unsigned text_offset) {
  Report(out, "\nTOC entries: %zu (text at %u)\n", count, text_offset);
}
void ListToc(std::FILE* out, std::size_t index, unsigned type, unsigned sndx, unsigned offset, unsigned length,
             const char* button) {
  Report(out, " %3zu type = %u sndx = %3u off = %8u len = %6u butt = %s\n", index, type, sndx, offset, length,
         button);
}
void ListSectionHeading(std::FILE* out, std::size_t index, const char* button, const char* tag, unsigned clntid,
                        unsigned butndx) {
  Report(out, "\n== %zu %s [%s, links %u %u]\n", index, button, tag, clntid, butndx);
}
void ListLine(std::FILE* out, std::string_view line) {
  Report(out, "|%.*s\n", static_cast<int>(line.size()), line.data());
}
void ListByteRun(std::FILE* out, std::string_view bytes) {
  Report(out, "|%.*s|\n", static_cast<int>(bytes.size()), bytes.data());
}
void SayHelpFileProblem(std::FILE* err, const char* name, const char* text) {
  Report(err, "vexdump: %s: %s\n", name, text);
}

void SayNotAnEpoch(const char* text) {
  Report(stderr, "qostamp: '%s' is not a time in seconds since the epoch (digits only, before year 10000)\n", text);
}
void SayCannotStampRead(const char* path) { Report(stderr, "qostamp: %s: %s\n", path, std::strerror(errno)); }
void SayNoCompileTime(const char* path) {
  Report(stderr, "qostamp: %s: not a symbol file or message object file with a compile time\n", path);
}
void SayCannotRewrite(const char* path) {
  Report(stderr, "qostamp: %s: cannot be rewritten: %s\n", path, std::strerror(errno));
}

}  // namespace qokit::cli
