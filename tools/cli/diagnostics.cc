#include "diagnostics.h"

#include <cstring>

namespace qokit::cli {

void PrintDiagnostic(std::FILE* to, Severity severity, const Where& where, std::string_view text) {
  std::string line(where.file);
  if (where.line > 0) line.append(1, ':').append(std::to_string(where.line));
  if (where.column > 0) line.append(1, ':').append(std::to_string(where.column));
  line.append(severity == Severity::kError ? ": error: " : ": warning: ");
  if (!where.symbol.empty()) line.append(where.symbol).append(": ");
  line.append(text).append(1, '\n');
  std::fputs(line.c_str(), to);
}

void Report(std::FILE* to, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(to, format, args);
  va_end(args);
}

std::string FormatV(const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  const int size = std::vsnprintf(nullptr, 0, format, args);
  std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

void SayCannotBeRead(const char* program, const char* file, int error_number) {
  Report(stderr, "%s: %s: cannot be read: %s\n", program, file, std::strerror(error_number));
}

}  // namespace qokit::cli
