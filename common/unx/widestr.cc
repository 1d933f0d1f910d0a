#include "widestr.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace qokit::nls {

void FreeDeleter::operator()(void* p) const { std::free(p); }

Decoded DecodeAt(const char* position, size_t available) {
  if (*position == '\0') return {L'\0', 1};
  std::mbstate_t state{};
  wchar_t wc = 0;
  const size_t n = std::mbrtowc(&wc, position, available, &state);
  // (size_t)-1 (invalid) and -2 (cut short) both exceed `available`.
  if (n == 0 || n > available) return {static_cast<wchar_t>(kRawByteBase + static_cast<unsigned char>(*position)), 1};
  return {wc, n};
}

WideCopy::WideCopy(const char* text) {
  const size_t bytes = std::strlen(text);
  // Every character takes at least one byte, so bytes + 1 elements always hold
  // the characters and the terminator.
  chars_.reset(static_cast<wchar_t*>(std::malloc((bytes + 1) * sizeof(wchar_t))));
  if (!chars_) return;
  const char* end = text + bytes;
  for (const char* p = text; p < end;) {
    const Decoded d = DecodeAt(p, static_cast<size_t>(end - p));
    chars_[length_++] = d.wide;
    p += d.bytes;
  }
  chars_[length_] = L'\0';
}

size_t CharLength(const char* position) { return DecodeAt(position, strnlen(position, MB_CUR_MAX)).bytes; }

size_t ByteOffset(const char* text, size_t index) {
  size_t offset = 0;
  for (size_t k = 0; k < index; ++k) offset += CharLength(text + offset);
  return offset;
}

size_t CopyChars(char* target, const char* source, size_t chars, size_t room) {
  size_t written = 0;
  for (size_t k = 0; k < chars && source[written] != '\0'; ++k) {
    const size_t n = CharLength(source + written);
    if (written + n > room) break;
    written += n;
  }
  std::memmove(target, source, written);  // overlapping arguments stay safe
  return written;
}

}  // namespace qokit::nls
