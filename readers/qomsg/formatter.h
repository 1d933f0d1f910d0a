// Formatting of a decoded message text with its arguments.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <vector>

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

// Takes the arguments `text` needs from `ap`, in argument order.
std::vector<qomsg_arg> CollectArguments(const CompiledText& text, va_list ap);

}  // namespace qokit::reader
