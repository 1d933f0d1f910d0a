#include "response_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "messages.h"
#include "qokit/nls/nlsstr.h"
#include "unique_file.h"

namespace qokit::msgcomp {

void NextWord(const char*& cursor, char* word, size_t capacity) {
  // White space may be a multi-byte character; never step over the terminator.
  while (*cursor != '\0' && nls.nlsIsSpace(cursor)) {
    unsigned size = nls.nlsCharSize(*cursor);
    if (size == 0) size = 1;
    while (size-- > 0 && *cursor != '\0') ++cursor;
  }
  size_t length = 0;
  while (*cursor != '\0' && !nls.nlsIsSpace(cursor)) {
    if (length + 1 < capacity) word[length++] = *cursor;
    ++cursor;
  }
  word[length] = '\0';
}

int ReadResponseFile(const char* path, int* count, char** list) {
  io::UniqueFile file(std::fopen(path, "r"));
  if (!file) {
    SayCannotOpenResponseFile(path);
    std::perror("Reason");
    return kResponseFailed;
  }
  char line[kLineBufferSize];
  char word[kLineBufferSize];
  while (std::fgets(line, sizeof line, file.get()) != nullptr) {
    const size_t length = nls.nlsStrLen(line);
    if (length > 0 && line[length - 1] == '\n') line[length - 1] = '\0';
    const char* cursor = line;
    for (NextWord(cursor, word, sizeof word); word[0] != '\0'; NextWord(cursor, word, sizeof word)) {
      if (*count >= kResponseListSize) return kResponseTooMany;
      auto* copy = static_cast<char*>(std::malloc(nls.nlsStrLen(word) + 1));
      if (copy == nullptr) {
        SayNoStateMemory();
        return kResponseFailed;
      }
      nls.nlsStrCpy(copy, word);
      list[(*count)++] = copy;
    }
  }
  return kResponseOk;
}

void FreeResponseWords(int count, char** list) {
  for (int i = 2; i < count; ++i) {
    std::free(list[i]);
    list[i] = nullptr;
  }
}

}  // namespace qokit::msgcomp
