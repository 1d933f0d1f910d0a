#include "formatter.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>
#include <span>

#include "compiled_form_walk.h"
#include "insert_syntax.h"

namespace qokit::reader {

namespace {

using format::kMaxArgumentNumber;

// A list of at most N trivially copyable items whose storage is not
// initialised, so a text with two inserts does not pay for a hundred.
template <typename T, std::size_t N>
class FixedList {
 public:
  void Add(const T& item) { new (storage_ + sizeof(T) * count_++) T(item); }
  std::span<const T> items() const { return {std::launder(reinterpret_cast<const T*>(storage_)), count_}; }

 private:
  alignas(T) unsigned char storage_[sizeof(T) * N];
  std::size_t count_ = 0;
};

// The parts of one text, taken apart on the stack.
struct TextSlots {
  static constexpr bool kDerivesTypes = true;
  FixedList<format::FormInsert, kMaxArgumentNumber> inserts;
  FixedList<std::string_view, kMaxArgumentNumber + 1> pieces;
  void Insert(const format::FormInsert& insert) { inserts.Add(insert); }
  void Piece(std::string_view piece) { pieces.Add(piece); }
};

// Output into a caller's buffer that counts what it could not hold, so the
// result is the length the whole text needs (vsnprintf semantics).
class BoundedOut {
 public:
  BoundedOut(char* buf, std::size_t size) : buf_(buf), size_(size) {}

  void Put(const char* bytes, std::size_t n) {
    if (length_ + 1 < size_) std::memcpy(buf_ + length_, bytes, std::min(n, size_ - 1 - length_));
    length_ += n;
  }
  // Where snprintf may write now, and how much.
  char* Tail() { return length_ + 1 < size_ ? buf_ + length_ : nullptr; }
  std::size_t Room() const { return length_ + 1 < size_ ? size_ - length_ : 0; }
  void Advance(std::size_t n) { length_ += n; }

  int Finish() {
    if (size_ > 0) buf_[length_ < size_ ? length_ : size_ - 1] = '\0';
    return length_ > INT_MAX ? QOMSG_ERR_ARGUMENT : static_cast<int>(length_);
  }

 private:
  char* buf_;
  std::size_t size_;
  std::size_t length_ = 0;
};

// Writes a literal piece. An in-order text is one printf format, where "%%"
// prints one "%"; reordered texts follow the same rule, so a source text
// prints the same whatever order its inserts take.
void PutPrintfLiteral(BoundedOut& out, std::string_view piece) {
  while (!piece.empty()) {
    const void* percent = std::memchr(piece.data(), '%', piece.size());
    const std::size_t run = percent == nullptr ? piece.size()
                                               : static_cast<std::size_t>(static_cast<const char*>(percent) - piece.data()) + 1;
    out.Put(piece.data(), run);
    piece.remove_prefix(run);
    if (percent != nullptr && !piece.empty() && piece.front() == '%') piece.remove_prefix(1);
  }
}

// A conversion as a NUL-terminated printf format. One longer than the buffer
// (repeated flags, zeros before a precision) is written in its shortest
// form, which printf reads the same: each flag once, the precision's value.
constexpr std::size_t kConversionRoom = 64;
bool TerminatedConversion(std::string_view conversion, char (&out)[kConversionRoom]) {
  if (conversion.size() < kConversionRoom) {
    std::memcpy(out, conversion.data(), conversion.size());
    out[conversion.size()] = '\0';
    return true;
  }
  format::Conversion parsed;
  if (!format::ParsePrintf(conversion, parsed)) return false;
  // At most 1 + 6 flags + 10 width digits + "." + 10 precision digits + 2
  // length letters + the letter: the width has no leading zero (a zero is a
  // flag) and both numbers fit an int.
  std::size_t n = 0;
  const auto append = [&](std::string_view text) {
    std::memcpy(out + n, text.data(), text.size());
    n += text.size();
  };
  append("%");
  for (const char flag : std::string_view("-+ #0'"))
    if (parsed.flags.find(flag) != std::string_view::npos) out[n++] = flag;
  append(parsed.width);
  if (parsed.has_precision) {
    append(".");
    if (parsed.precision == "*") {
      append("*");
    } else if (!parsed.precision.empty()) {
      long precision = 0;
      for (const char digit : parsed.precision) precision = precision * 10 + (digit - '0');
      n += static_cast<std::size_t>(std::snprintf(out + n, kConversionRoom - n, "%ld", precision));
    }
  }
  append(parsed.length_text);
  out[n++] = parsed.letter;
  out[n] = '\0';
  return true;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
// Formats one value with a conversion that the open checked.
template <typename T>
int PrintOne(char* dst, std::size_t room, const char* conversion, const int* stars, int nstars, T value) {
  switch (nstars) {
    case 0:
      return std::snprintf(dst, room, conversion, value);
    case 1:
      return std::snprintf(dst, room, conversion, stars[0], value);
    default:
      return std::snprintf(dst, room, conversion, stars[0], stars[1], value);
  }
}
#pragma GCC diagnostic pop

// The value goes to snprintf as the C type the conversion names, so the
// conversion is used as written.
bool PutInsert(BoundedOut& out, const Insert& insert, const qomsg_arg* args) {
  char conversion[kConversionRoom];
  if (!TerminatedConversion(insert.conversion, conversion)) return false;
  int stars[2] = {0, 0};
  for (int s = 0; s < insert.stars; ++s) stars[s] = args[s].v.i;
  const qomsg_arg& value = args[insert.stars];
  const std::string_view c = insert.conversion;
  const char before = c[c.size() - 2];
  char* const dst = out.Tail();
  const std::size_t room = out.Room();
  int n = 0;
  switch (insert.type) {
    case QOMSG_ARG_INT:
      n = PrintOne(dst, room, conversion, stars, insert.stars, value.v.i);
      break;
    case QOMSG_ARG_LONG:
      n = c.size() >= 3 && c[c.size() - 3] == 'l'
              ? PrintOne(dst, room, conversion, stars, insert.stars, static_cast<long long>(value.v.l))
              : PrintOne(dst, room, conversion, stars, insert.stars, value.v.l);
      break;
    case QOMSG_ARG_DOUBLE:
      n = PrintOne(dst, room, conversion, stars, insert.stars, value.v.d);
      break;
    default:
      if (c.back() == 'p') {
        n = PrintOne(dst, room, conversion, stars, insert.stars, value.v.p);
      } else if (before == 'l') {  // a null string goes to the C library too, which prints it as printf does
        n = PrintOne(dst, room, conversion, stars, insert.stars, static_cast<const wchar_t*>(value.v.p));
      } else {
        n = PrintOne(dst, room, conversion, stars, insert.stars, static_cast<const char*>(value.v.p));
      }
      break;
  }
  if (n < 0) return false;
  out.Advance(static_cast<std::size_t>(n));
  return true;
}

std::size_t ArgumentsOf(const Insert& insert) { return static_cast<std::size_t>(insert.stars) + 1; }

// The text position of each argument's insert (the inserts show arguments
// 1..N, which the open checked).
void ByArgument(std::span<const Insert> inserts, unsigned char (&by_argument)[kMaxArgumentNumber]) {
  for (std::size_t i = 0; i < inserts.size(); ++i)
    by_argument[inserts[i].argument - 1] = static_cast<unsigned char>(i);
}

int Emit(std::span<const std::string_view> pieces, std::span<const Insert> inserts, char* buf, std::size_t size,
         const qomsg_arg* args, std::size_t nargs, bool leaves_count = false) {
  if (buf == nullptr && size > 0) return QOMSG_ERR_ARGUMENT;
  const std::size_t count = inserts.size();
  unsigned char by_argument[kMaxArgumentNumber];
  ByArgument(inserts, by_argument);
  // First argument of each insert, found by walking the inserts in argument
  // order; every argument's type is checked on the way.
  std::size_t first_arg[kMaxArgumentNumber];
  std::size_t next = 0;
  for (std::size_t a = 0; a < count; ++a) {
    const Insert& insert = inserts[by_argument[a]];
    if (nargs - next < ArgumentsOf(insert) || args == nullptr) return QOMSG_ERR_ARGUMENT;
    for (int s = 0; s < insert.stars; ++s)
      if (args[next + static_cast<std::size_t>(s)].type != QOMSG_ARG_INT) return QOMSG_ERR_ARGUMENT;
    if (args[next + static_cast<std::size_t>(insert.stars)].type != insert.type) return QOMSG_ERR_ARGUMENT;
    first_arg[by_argument[a]] = next;
    next += ArgumentsOf(insert);
  }
  // Further arguments are ignored, as printf ignores them: a translation may
  // leave one out.

  BoundedOut out(buf, size);
  const std::size_t printed = leaves_count && count > 0 ? count - 1 : count;
  for (std::size_t i = 0; i <= count; ++i) {
    PutPrintfLiteral(out, pieces[i]);
    if (i < printed && !PutInsert(out, inserts[i], args + first_arg[i])) return QOMSG_ERR_ARGUMENT;
  }
  return out.Finish();
}

}  // namespace

int FormatText(const CompiledText& text, char* buf, std::size_t size, const qomsg_arg* args, std::size_t nargs) {
  return Emit(text.pieces, text.inserts, buf, size, args, nargs);
}

int FormatCompiled(std::string_view compiled, char* buf, std::size_t size, const qomsg_arg* args, std::size_t nargs) {
  TextSlots slots;
  if (format::WalkCompiledForm(compiled, slots) != nullptr) return QOMSG_ERR_TEXT;
  return Emit(slots.pieces.items(), slots.inserts.items(), buf, size, args, nargs);
}

int FormatLeavingCount(std::string_view compiled, char* buf, std::size_t size, const qomsg_arg* args,
                       std::size_t nargs) {
  TextSlots slots;
  if (format::WalkCompiledForm(compiled, slots) != nullptr) return QOMSG_ERR_TEXT;
  return Emit(slots.pieces.items(), slots.inserts.items(), buf, size, args, nargs, true);
}

int FormatReordered(std::string_view compiled, char* buf, std::size_t size, va_list ap, bool leaves_count) {
  TextSlots slots;
  if (format::WalkCompiledForm(compiled, slots) != nullptr) return QOMSG_ERR_TEXT;
  const std::span<const Insert> inserts = slots.inserts.items();
  unsigned char by_argument[kMaxArgumentNumber];
  ByArgument(inserts, by_argument);
  qomsg_arg args[3 * kMaxArgumentNumber];
  std::size_t nargs = 0;
  for (std::size_t a = 0; a < inserts.size(); ++a) {
    const Insert& insert = inserts[by_argument[a]];
    for (int s = 0; s < insert.stars; ++s) {
      args[nargs].type = QOMSG_ARG_INT;
      args[nargs++].v.i = va_arg(ap, int);
    }
    qomsg_arg& value = args[nargs++];
    value.type = insert.type;
    switch (insert.type) {
      case QOMSG_ARG_INT: value.v.i = va_arg(ap, int); break;
      case QOMSG_ARG_LONG: value.v.l = va_arg(ap, long); break;
      case QOMSG_ARG_DOUBLE: value.v.d = va_arg(ap, double); break;
      default: value.v.p = va_arg(ap, const void*); break;
    }
  }
  return Emit(slots.pieces.items(), inserts, buf, size, args, nargs, leaves_count);
}

}  // namespace qokit::reader
