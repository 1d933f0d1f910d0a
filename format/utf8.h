// Well-formed UTF-8, for the tools that read and write texts in it (message
// sources, PO files): no overlong forms, no surrogates, nothing past U+10FFFF.
#pragma once

#include <string_view>

namespace qokit::format {

// Offset of the first byte of `bytes` that does not begin a well-formed
// UTF-8 character, or -1 when every byte does.
long InvalidUtf8Offset(std::string_view bytes);

}  // namespace qokit::format
