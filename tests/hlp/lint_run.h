// Running the help-source lint on bytes in memory and keeping what it wrote.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "help_lint.h"

struct Linted {
  std::string text;
  qokit::check::Counts counts;
};

inline Linted RunLint(std::string_view source, bool legacy, int line_length, std::string_view name = "in.hlp") {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  const qokit::check::Counts counts = qokit::check::LintHelpSource(name, source, {legacy, line_length}, out);
  std::fclose(out);
  Linted linted{std::string(buffer, size), counts};
  std::free(buffer);
  return linted;
}

inline int Occurrences(std::string_view text, std::string_view what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
}
