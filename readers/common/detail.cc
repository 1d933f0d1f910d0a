#include "detail.h"

#include <cstring>

namespace qokit::reader {

void SetDetail(char* detail, std::size_t size, std::string_view text) {
  if (detail == nullptr || size == 0) return;
  const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(detail, text.data(), n);
  detail[n] = '\0';
}

}  // namespace qokit::reader
