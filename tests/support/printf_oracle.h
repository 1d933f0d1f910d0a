// glibc's own printf as the judge of message texts: what it takes from a
// format and what it prints with a runtime list of arguments, called
// through a real variadic call, so no reading of the format is ours.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiled_text.h"
#include "qokit/qomsg.h"

namespace oracle {

// The type class of every argument printf takes for `format`, in order (a
// "*" takes an int before its value): QOMSG_ARG_* where the C type has the
// size and kind of one, kNoArgType otherwise (%n, %lc, long double).
inline constexpr int kNoArgType = -1;
std::vector<int> PrintfArgumentTypes(const std::string& format);

// snprintf(buf, size, format, args...) with each argument passed as its own
// C type; the result and the text it wrote (the whole text when it fits).
int Snprintf(const std::string& format, const std::vector<qomsg_arg>& args, std::string& out);

// qomsg_format(catalog, number, buf, size, args...) with each argument passed
// as its own C type, a real variadic call; the result and the text.
int VariadicFormat(const qomsg_catalog* catalog, long number, const std::vector<qomsg_arg>& args, std::string& out);

// The positional printf format of literal pieces (printf text, N+1 of
// them) around inserts given in text order as argument number and
// conversion; the arguments are in argument order, each insert's stars
// before its value.
struct PlacedInsert {
  long argument;
  std::string_view conversion;
};
std::string PositionalFormat(const std::vector<std::string_view>& pieces, const std::vector<PlacedInsert>& inserts);

// A message text (that the compiler accepts) in the positional form that
// printf reads with the arguments in argument order, stars first:
// "@2%5d @1%*s" becomes "%3$5d %2$*1$s".
std::string PositionalForm(const std::string& text);

// Whether glibc misprints a negative "*" width of this conversion in
// positional form: with the 0 flag on a floating-point letter it pads with
// zeros on the right ("%2$0*1$g" with -6 and 1.5 gives "1.5000" where the
// plain "%0*g" gives "1.5   "). Callers pass such widths non-negative.
bool NegativeWidthMisprinted(std::string_view conversion);

// The decoded inserts in argument order (null where an argument number has
// no insert).
std::vector<const qokit::reader::Insert*> ByArgument(const qokit::reader::CompiledText& text);

// The argument types the inserts take, in argument order, stars (int) first.
std::vector<int> FlatTypes(const qokit::reader::CompiledText& text);

// Arguments for the inserts with values picked by `seed`: extremes, signs,
// NaN and infinities, null and wide strings, negative stars.
std::vector<qomsg_arg> ArgumentsFor(const qokit::reader::CompiledText& text, uint64_t seed);

// The largest width or precision number written in a text's conversions, so
// callers can skip texts whose output would be gigabytes.
long LargestFieldNumber(const std::string& format);

}  // namespace oracle
