#include "input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "detail.h"

namespace qokit::reader {

Input ReadInput(const char* path, std::size_t max_size, io::OwnedBytes& bytes, char* detail,
                std::size_t detail_size) noexcept {
  if (path != nullptr && io::ReadWholeFile(path, bytes, max_size)) return Input::kRead;
  const int error = errno;
  if (detail != nullptr && detail_size > 0)
    std::snprintf(detail, detail_size, "cannot read %s: %s", path != nullptr ? path : "(null)", std::strerror(error));
  return path != nullptr && error == ENOMEM ? Input::kNoMemory : Input::kUnreadable;
}

Input CopyInput(const void* data, std::size_t size, io::OwnedBytes& bytes, char* detail,
                std::size_t detail_size) noexcept {
  bytes.data.reset(new (std::nothrow) unsigned char[size > 0 ? size : 1]);
  if (bytes.data == nullptr) {
    SetDetail(detail, detail_size, "out of memory");
    return Input::kNoMemory;
  }
  if (size > 0) std::memcpy(bytes.data.get(), data, size);
  bytes.size = size;
  return Input::kRead;
}

}  // namespace qokit::reader
