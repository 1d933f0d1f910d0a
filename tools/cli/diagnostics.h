// How the kit tools report: one format-checked printer, and findings about
// a place in a file in the GNU form that editors and build logs link to:
//
//   FILE:LINE: error: SYMBOL: text
//   FILE:LINE:COLUMN: warning: text
//
// ":LINE" is left out where no line is known, ":COLUMN" where the finding
// has no column, and "SYMBOL: " where it concerns no message symbol.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

namespace qokit::cli {

enum class Severity { kError, kWarning };

// Where a finding belongs.
struct Where {
  std::string_view file;
  long line = 0;
  std::string_view symbol;  // empty when none is known
  long column = 0;          // 0 when the finding has none
};

// Prints one finding with its line end.
void PrintDiagnostic(std::FILE* to, Severity severity, const Where& where, std::string_view text);

// printf into `to`.
[[gnu::format(printf, 2, 3)]] void Report(std::FILE* to, const char* format, ...);
// printf into a string.
[[gnu::format(printf, 1, 0)]] std::string FormatV(const char* format, va_list args);

// "PROGRAM: FILE: cannot be read: REASON" for a file a tool could not read.
void SayCannotBeRead(const char* program, const char* file, int error_number);

}  // namespace qokit::cli
