// Driver pieces shared by both help compilers: the dialogue's reads, the
// banner's first line, the name buffers and opening/closing the two files.
#pragma once

#include <cstdio>
#include <string>

#include "replace_file.h"
#include "unique_file.h"

namespace qokit::help {

// Whether the run goes on or the program ends here (always with status 0).
enum class Flow { kGoOn, kEndRun };

inline constexpr std::size_t kNameSize = 1024;  // name buffers: 1023 bytes and a terminator
using NameBuffer = char[kNameSize];

// Reads one answer line of at most 1023 bytes into `answer`, without its line
// feed; a longer line leaves its rest for the next read. False at the end of
// standard input, after saying that the program ends.
[[nodiscard]] bool read_answer(NameBuffer& answer);
// Reads one character of an answer; EOF at the end of standard input.
int read_reply_char();

// Copies a command-line name into a name buffer; false (after a message)
// when it does not fit, since a cut name could name some other file.
[[nodiscard]] bool copy_name(NameBuffer& target, const char* source);
bool same_names(const char* a, const char* b);

// The source and the help file of one run; f1/f2 point at them while open.
// The help file is written under a temporary name beside its own and renamed
// over it only once it is complete, so a run whose writes fail keeps an
// earlier help file as it was and leaves no truncated one.
struct HelpFiles {
  io::UniqueFile source;
  io::ReplacementFile help;  // removes a help file that was never completed
};

// Opens the source ("r") and the help file (under its temporary name)
// and points f1/f2 at them. On failure the message is printed and the run
// must end; no output file is created.
[[nodiscard]] Flow openfiles(const char* infile, const char* outfile, HelpFiles& files);
// Rewinds the source for another pass, keeping whether a read of it failed.
void rewind_source();
// Closes both files and puts the help file in place; false (after a message)
// when the source was not read or the help file not written completely, and
// the earlier help file then stays.
[[nodiscard]] bool closefiles(HelpFiles& files, const char* infile, const char* outfile);

}  // namespace qokit::help
