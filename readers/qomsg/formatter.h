// Formatting of a message text with its arguments, into the caller's buffer
// and without allocating: literal text is copied in runs and each conversion
// is one snprintf call, or a text in argument order goes to vsnprintf whole.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string_view>

#include "compiled_text.h"
#include "qokit/qomsg.h"

namespace qokit::reader {

// Formats `text` into buf (bounded by size, terminated when size > 0) with
// `args` in argument order, each insert's star ints before its value.
// Arguments past those the inserts use are ignored. Returns the full length,
// or QOMSG_ERR_ARGUMENT when the arguments do not fit the inserts or the text
// cannot be formatted (buf is then left to the caller to clear).
int FormatText(const CompiledText& text, char* buf, std::size_t size, const qomsg_arg* args,
               std::size_t nargs);

// As FormatText for a compiled form that CheckCompiledForm accepted.
int FormatCompiled(std::string_view compiled, char* buf, std::size_t size, const qomsg_arg* args,
                   std::size_t nargs);

// As FormatCompiled for a reordered form, with the arguments taken from `ap`
// in argument order, as printf takes them. With `leaves_count` the last
// insert (a plural form's count, which the form leaves out) takes its
// argument and prints nothing; any form may then come here.
int FormatReordered(std::string_view compiled, char* buf, std::size_t size, va_list ap, bool leaves_count = false);

// As FormatCompiled with the arguments as an array, the last insert printing
// nothing (see FormatReordered).
int FormatLeavingCount(std::string_view compiled, char* buf, std::size_t size, const qomsg_arg* args,
                       std::size_t nargs);

// As FormatCompiled with the arguments from `ap`. An in-order text is a
// printf format, checked at the open, so printf reads it whole: the
// formatting costs what a plain vsnprintf call costs (inline, as every call
// of qomsg_format comes here).
inline int FormatCompiled(std::string_view compiled, char* buf, std::size_t size, va_list ap) {
  if (buf == nullptr && size > 0) return QOMSG_ERR_ARGUMENT;
  if (static_cast<unsigned char>(compiled[0]) != format::kInOrderFlag) return FormatReordered(compiled, buf, size, ap);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int n = std::vsnprintf(buf, size, compiled.data() + 1, ap);
#pragma GCC diagnostic pop
  return n < 0 ? QOMSG_ERR_ARGUMENT : n;
}

}  // namespace qokit::reader
