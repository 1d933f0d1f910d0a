// Wide working copies for the multi-byte and double-byte string families.
#pragma once

#include <cstddef>
#include <memory>

namespace qokit::nls {

struct FreeDeleter {
  void operator()(void* p) const;
};

// A byte where no valid character begins (an invalid byte, or the first byte
// of a sequence cut short by the end of the text) is a character of its own:
// it stands in a working copy as a value above every character of any code
// set, so it equals only the same byte, orders after every real character and
// among its like by byte value, and has no case.
inline constexpr wchar_t kRawByteBase = 0x110000;

constexpr bool IsRawByte(wchar_t wc) { return wc >= kRawByteBase && wc <= kRawByteBase + 0xFF; }

// The character that begins at `position`, examining at most `available`
// bytes: its wide value and its length in bytes. The terminator is L'\0' of
// one byte; a position where no valid character begins is one raw byte.
struct Decoded {
  wchar_t wide;
  size_t bytes;
};
Decoded DecodeAt(const char* position, size_t available);

// A NUL-terminated array of the characters of a multibyte string, one wide
// value per character, raw bytes included, so no text is ever dropped.
// `valid()` is false when the heap was exhausted.
class WideCopy {
 public:
  explicit WideCopy(const char* text);

  bool valid() const { return chars_ != nullptr; }
  wchar_t* data() { return chars_.get(); }
  const wchar_t* data() const { return chars_.get(); }
  size_t length() const { return length_; }

 private:
  std::unique_ptr<wchar_t[], FreeDeleter> chars_;
  size_t length_ = 0;
};

// Bytes of the character that begins at `position`, as it counts in a
// working copy (a raw byte and the terminator count as one).
size_t CharLength(const char* position);

// Byte offset of character index `index` in `text`, walking from its start.
size_t ByteOffset(const char* text, size_t index);

// Copies the bytes of the first `chars` characters of `source` (fewer when it
// ends first) to `target` as they stand, stopping before a character that
// would take the copy past `room` bytes. Writes no terminator; returns the
// bytes copied. Copying bytes rather than re-encoding keeps raw bytes and
// every character's own spelling.
size_t CopyChars(char* target, const char* source, size_t chars, size_t room);

}  // namespace qokit::nls
