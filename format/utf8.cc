#include "utf8.h"

#include <cstddef>

namespace qokit::format {

long InvalidUtf8Offset(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length;
    unsigned long code;
    unsigned long lowest;
    if (lead >= 0xc2 && lead <= 0xdf) {
      length = 2, code = lead & 0x1fu, lowest = 0x80;
    } else if (lead >= 0xe0 && lead <= 0xef) {
      length = 3, code = lead & 0x0fu, lowest = 0x800;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
      length = 4, code = lead & 0x07u, lowest = 0x10000;
    } else {
      return static_cast<long>(i);
    }
    if (bytes.size() - i < length) return static_cast<long>(i);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xc0) != 0x80) return static_cast<long>(i);
      code = code << 6 | (next & 0x3fu);
    }
    // Overlong forms, surrogates and code points beyond Unicode.
    if (code < lowest || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return static_cast<long>(i);
    i += length;
  }
  return -1;
}

}  // namespace qokit::format
