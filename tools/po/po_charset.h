// The charset of a PO file and its conversion to UTF-8.
//
// A file is converted as a whole before its strings are read, so a byte
// 0x5C that is the second byte of a character (GBK, BIG5, Shift_JIS, ...)
// is part of that character and never starts an escape. In a charset whose
// byte 0x5C is another character than the backslash (the yen sign in
// Shift_JIS) the escapes start with what that byte became; bytes written as
// \x or octal escapes are in the file's charset and are converted in turn.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace qokit::po {

// A conversion from one charset to UTF-8 (UTF-8 itself is only checked).
class Utf8Converter {
 public:
  Utf8Converter() = default;
  Utf8Converter(const Utf8Converter&) = delete;
  Utf8Converter& operator=(const Utf8Converter&) = delete;
  ~Utf8Converter();

  // False when iconv does not know the charset.
  [[nodiscard]] bool Open(const std::string& charset);
  // Appends `in` converted; false with the offset in `in` of the first byte
  // that is not a character of the charset (a character cut at the end too).
  [[nodiscard]] bool Convert(std::string_view in, std::string& out, std::size_t& bad) const;

 private:
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);  // (iconv_t)-1 for UTF-8
};

// How ReadPo reads strings of text already converted to UTF-8.
struct PoDecoding {
  std::string escape = "\\";                 // what starts an escape
  const Utf8Converter* bytes = nullptr;      // escaped bytes; null: UTF-8
};

// The charset that the header entry's Content-Type declares, upper case;
// empty when the file has no header or the header names none. Read from
// the bytes as they stand: the header's field names are ASCII in every
// charset a PO file may be in.
std::string DeclaredCharset(std::string_view text);

// Whether a declared charset means UTF-8 (the template placeholder
// "CHARSET" and none at all included) or its ASCII subset.
bool IsUtf8Charset(const std::string& charset);

// Turns a PO file's bytes into UTF-8 in place and sets up `converter` and
// `decoding` for ReadPo. False with the problem and the line of the first
// byte that is not in the charset (0 when the charset is unknown).
[[nodiscard]] bool DecodePoFile(std::string& text, const std::string& charset, Utf8Converter& converter,
                                PoDecoding& decoding, long& line, std::string& problem);

}  // namespace qokit::po
