#include "widestr.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace qo {

void FreeDeleter::operator()(void* p) const { std::free(p); }

WideCopy::WideCopy(const char* text, size_t extra) {
  const size_t bytes = std::strlen(text);
  // Every character takes at least one byte, so bytes + 1 elements always hold
  // the characters and the terminator.
  chars_.reset(static_cast<wchar_t*>(std::malloc((bytes + extra + 1) * sizeof(wchar_t))));
  if (!chars_) return;
  std::mbstate_t state{};
  const char* p = text;
  const char* end = text + bytes;
  while (p < end) {
    wchar_t wc = 0;
    const size_t n = std::mbrtowc(&wc, p, static_cast<size_t>(end - p), &state);
    if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2) || n == 0) break;
    chars_[length_++] = wc;
    p += n;
  }
  chars_[length_] = L'\0';
}

size_t CharLength(const char* position) {
  const int n = std::mblen(position, MB_CUR_MAX);
  return n <= 0 ? 1 : static_cast<size_t>(n);
}

size_t ByteOffset(const char* text, size_t index) {
  size_t offset = 0;
  for (size_t k = 0; k < index; ++k) offset += CharLength(text + offset);
  return offset;
}

size_t ToMultibyte(char* target, const wchar_t* wide, size_t limit, bool terminateAlways) {
  if (limit == 0) return 0;
  const size_t room = terminateAlways ? limit - 1 : limit;
  size_t written = 0;
  std::mbstate_t state{};
  char buf[MB_LEN_MAX];
  for (; *wide != L'\0'; ++wide) {
    const size_t n = std::wcrtomb(buf, *wide, &state);
    if (n == static_cast<size_t>(-1) || written + n > room) break;
    std::memcpy(target + written, buf, n);
    written += n;
  }
  if (written < limit) target[written] = '\0';
  return written;
}

}  // namespace qo
