// Wide working copies for the multi-byte and double-byte string families.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace qo {

struct FreeDeleter {
  void operator()(void* p) const;
};

// A NUL-terminated array of wide characters converted from a multibyte string.
// Conversion stops at the first byte sequence that is not a valid character;
// the array ends there. `valid()` is false when the heap was exhausted.
class WideCopy {
 public:
  // Converts `text`, with room for `extra` more characters after it.
  explicit WideCopy(const char* text, size_t extra = 0);

  bool valid() const { return chars_ != nullptr; }
  wchar_t* data() { return chars_.get(); }
  const wchar_t* data() const { return chars_.get(); }
  size_t length() const { return length_; }

 private:
  std::unique_ptr<wchar_t[], FreeDeleter> chars_;
  size_t length_ = 0;
};

// Bytes of the multibyte character that begins at `position`; a position where
// no valid character begins counts as one byte. The terminator counts as one.
size_t CharLength(const char* position);

// Byte offset of character index `index` in `text`, walking from its start.
size_t ByteOffset(const char* text, size_t index);

// Converts `wide` back into `target`, writing whole characters only and at
// most `limit` bytes in all. Returns the bytes written, terminator excluded.
// With `terminateAlways` a terminator is always written inside the limit (the
// text stops early to make room); otherwise, as wcstombs does, the terminator
// is written only when the text is shorter than the limit.
size_t ToMultibyte(char* target, const wchar_t* wide, size_t limit, bool terminateAlways);

}  // namespace qo
