// The symbol file's fixed names and columns, and the walk over its "#define"
// lines that both of its readers use: the compiler's, which checks the file,
// and the dump tool's, which only wants the names of the message numbers.
#pragma once

#include <cstdio>
#include <functional>

namespace qokit::msgcomp {

inline constexpr char kGuardName[] = "_H_MSGSYM";
inline constexpr char kChecksumName[] = "_MSGSYM_CHECKSUM";
inline constexpr char kTimestampName[] = "_MSGSYM_TIMESTAMP";
inline constexpr char kMaxInsertsName[] = "_MAX_INSERTS";

// Names are padded to 50 and values take 8 columns, so every value ends in
// column 67; the timestamp's name is padded to 56 less the text's length so
// that its closing quote does too.
inline constexpr int kNameWidth = 50;
inline constexpr int kValueColumnWidth = 56;
static_assert(sizeof "#define " - 1 + kNameWidth + 1 + 8 == 67, "values end in column 67");
static_assert(sizeof "#define " - 1 + (kValueColumnWidth - 24) + 1 + 1 + 24 + 1 == 67,
              "the timestamp's closing quote is in column 67");

enum class DefineKind { kGuard, kChecksum, kTimestamp, kMaxInserts, kSymbol };

// What the name of a "#define" line defines.
DefineKind ClassifyDefine(const char* name);

// Calls visit(line number, name, value word) for each line whose first word
// is "#define", in file order. Lines are read at most 255 bytes at a time (a
// longer one reads as several) and split into words at white space. Ends at
// the first non-zero result of visit and returns it; 0 at the end of the file.
[[nodiscard]] int ForEachDefine(FILE* file, const std::function<int(long line, const char* name, const char* value)>& visit);

}  // namespace qokit::msgcomp
