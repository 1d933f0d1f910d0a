#include "symfile_format.h"

#include <cstring>

#include "qokit/nls/nlsstr.h"
#include "response_file.h"

namespace qokit::msgcomp {

DefineKind ClassifyDefine(const char* name) {
  if (nls.nlsStrCmp(name, kGuardName) == 0) return DefineKind::kGuard;
  if (nls.nlsStrCmp(name, kChecksumName) == 0) return DefineKind::kChecksum;
  if (nls.nlsStrCmp(name, kTimestampName) == 0) return DefineKind::kTimestamp;
  if (nls.nlsStrCmp(name, kMaxInsertsName) == 0) return DefineKind::kMaxInserts;
  return DefineKind::kSymbol;
}

int ForEachDefine(FILE* file, const std::function<int(long, const char*, const char*)>& visit) {
  long lineNumber = 0;
  char line[kLineBufferSize];
  char word[kLineBufferSize];
  char name[kLineBufferSize];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    ++lineNumber;
    const size_t length = nls.nlsStrLen(line);
    if (length > 0 && line[length - 1] == '\n') line[length - 1] = '\0';
    const char* cursor = line;
    NextWord(cursor, word, sizeof word);
    if (nls.nlsStrCmp(word, "#define") != 0) continue;
    NextWord(cursor, name, sizeof name);
    NextWord(cursor, word, sizeof word);
    if (const int result = visit(lineNumber, name, word); result != 0) return result;
  }
  return 0;
}

}  // namespace qokit::msgcomp
