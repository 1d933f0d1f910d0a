// Test-side reading of message sources and of the texts they should format
// to, independent of the compiler and the reader under test.
#pragma once

#include <string>
#include <vector>

#include "qokit/qomsg.h"

namespace kittest {

struct SourceEntry {
  long number = 0;
  char severity = 'I';
  std::string symbol;
  std::string response;
  std::string text;  // escapes replaced, strings joined
};

// Reads the entries of well-formed message source text (comments, escapes,
// joined strings). Fails the current test on anything it cannot read.
std::vector<SourceEntry> ParseMessageSource(const std::string& source);

// Arguments for a text's inserts, in argument order (star ints first), with
// fixed values derived from each argument number, and the text it should
// print: every insert replaced by snprintf of its conversion with its own
// arguments, "%%" in the literal text printed as "%".
struct Expectation {
  std::vector<qomsg_arg> args;
  std::string text;
};
Expectation ExpectedFormatting(const std::string& text);

}  // namespace kittest
