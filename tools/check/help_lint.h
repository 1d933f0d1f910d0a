// A lint for help sources: what the help compilers would cut, keep or
// mis-read without saying so, found before the source is compiled.
//
// Errors are losses nobody wants and the compilers pass in silence or reject:
// half a UTF-8 character in the help file, a malformed heading, a "$" word
// such as "$HOME" that the legacy syntax reads as a heading tag, a tag never
// closed. Warnings are what the compilers do by design but an author may not
// expect: a line cut at the line length, a line read in pieces, a carriage
// return kept, a button name cut to its field.
#pragma once

#include <cstdio>
#include <string_view>

#include "help_syntax.h"

namespace qokit::check {

struct Options {
  bool legacy = false;                 // the legacy tag syntax, which has no line length
  int line_length = format::kDefaultLineSize;  // the tagged compiler's line length
  bool warnings = true;                // false: errors only
};

struct Counts {
  int errors = 0;
  int warnings = 0;
};

// Lints one help source, `bytes`, named `name` in the diagnostics, and writes
// them to `out` in source order, GNU style: "NAME:LINE:COLUMN: error: TEXT"
// or "... warning: ...", lines and byte columns counted from 1; a finding
// about the whole source has neither line nor column.
Counts LintHelpSource(std::string_view name, std::string_view bytes, const Options& options, std::FILE* out);

}  // namespace qokit::check
