// Response files ("@file" on the command line) and their white-space word
// splitter.
//
// A response file has no comments, quoting or escapes: every run of non-blank
// characters is one argument, and line breaks separate words like blanks.
#pragma once

#include <cstddef>

namespace qokit::msgcomp {

// Entries 0 (program) and 1 (subcommand) plus at most 16 response words.
inline constexpr int kResponseListSize = 18;
inline constexpr int kLineBufferSize = 256;

// Stores the next white-space separated word of a NUL-terminated line into
// word (capacity bytes, terminator included; a longer word is cut) and leaves
// the cursor behind it. An empty word means the line has no more words.
void NextWord(const char*& cursor, char* word, size_t capacity);

enum ResponseResult {
  kResponseOk = 0,
  kResponseFailed = 1,    // message printed
  kResponseTooMany = 2,   // more words than the list holds; nothing printed
};

// Appends the words of the file at path to list[*count...], raising *count.
// Words are owned copies that FreeResponseWords releases.
[[nodiscard]] int ReadResponseFile(const char* path, int* count, char** list);

// Frees entries 2..count-1 of the list; 0 and 1 are borrowed.
void FreeResponseWords(int count, char** list);

}  // namespace qokit::msgcomp
