#include "formatter.h"

#include <climits>
#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>

#include "insert_syntax.h"

namespace qokit::reader {

namespace {

// Output into a caller's buffer that counts what it could not hold, so the
// result is the length the whole text needs (vsnprintf semantics).
class BoundedOut {
 public:
  BoundedOut(char* buf, std::size_t size) : buf_(buf), size_(size) {}

  void Put(std::string_view bytes) {
    for (const char c : bytes) {
      if (length_ + 1 < size_) buf_[length_] = c;
      ++length_;
    }
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
  for (std::size_t i = 0; i < piece.size(); ++i) {
    out.Put(piece.substr(i, 1));
    if (piece[i] == '%' && i + 1 < piece.size() && piece[i + 1] == '%') ++i;
  }
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
// Formats one value with a conversion that SafeConversion built and checked.
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

bool PutInsert(BoundedOut& out, const Insert& insert, const qomsg_arg* args) {
  // Decoding let only sound conversions through, so this never comes back empty.
  const std::string conversion = qokit::format::ExactlyTyped(insert.conversion, insert.type);
  if (conversion.empty()) return false;
  int stars[2] = {0, 0};
  for (int s = 0; s < insert.stars; ++s) stars[s] = args[s].v.i;
  const qomsg_arg& value = args[insert.stars];
  const char letter = conversion.back();
  const bool wide = conversion.size() >= 2 && conversion[conversion.size() - 2] == 'l';
  int n = 0;
  switch (insert.type) {
    case QOMSG_ARG_INT:
      n = PrintOne(out.Tail(), out.Room(), conversion.c_str(), stars, insert.stars, value.v.i);
      break;
    case QOMSG_ARG_LONG:
      n = letter == 'c'
              ? PrintOne(out.Tail(), out.Room(), conversion.c_str(), stars, insert.stars,
                         static_cast<wint_t>(value.v.l))
              : PrintOne(out.Tail(), out.Room(), conversion.c_str(), stars, insert.stars, value.v.l);
      break;
    case QOMSG_ARG_DOUBLE:
      n = PrintOne(out.Tail(), out.Room(), conversion.c_str(), stars, insert.stars, value.v.d);
      break;
    default:
      if (letter == 'p') {
        n = PrintOne(out.Tail(), out.Room(), conversion.c_str(), stars, insert.stars, value.v.p);
      } else if (wide) {  // a null string goes to the C library too, which prints it as printf does
        n = PrintOne(out.Tail(), out.Room(), conversion.c_str(), stars, insert.stars,
                     static_cast<const wchar_t*>(value.v.p));
      } else {
        n = PrintOne(out.Tail(), out.Room(), conversion.c_str(), stars, insert.stars,
                     static_cast<const char*>(value.v.p));
      }
      break;
  }
  if (n < 0) return false;
  out.Advance(static_cast<std::size_t>(n));
  return true;
}

std::size_t ArgumentsOf(const Insert& insert) { return static_cast<std::size_t>(insert.stars) + 1; }

}  // namespace

int FormatText(const CompiledText& text, char* buf, std::size_t size, const qomsg_arg* args,
               std::size_t nargs) {
  if (buf == nullptr && size > 0) return QOMSG_ERR_ARGUMENT;
  const std::size_t count = text.inserts.size();
  // First argument of each insert, found by walking the inserts in argument
  // order; every argument's type is checked on the way.
  std::vector<std::size_t> first_arg(count, 0);
  std::vector<std::size_t> by_argument(count, 0);
  for (std::size_t i = 0; i < count; ++i) by_argument[text.inserts[i].argument - 1] = i;
  std::size_t next = 0;
  for (std::size_t a = 0; a < count; ++a) {
    const Insert& insert = text.inserts[by_argument[a]];
    if (nargs - next < ArgumentsOf(insert) || (args == nullptr && ArgumentsOf(insert) > 0))
      return QOMSG_ERR_ARGUMENT;
    for (int s = 0; s < insert.stars; ++s)
      if (args[next + s].type != QOMSG_ARG_INT) return QOMSG_ERR_ARGUMENT;
    if (args[next + insert.stars].type != insert.type) return QOMSG_ERR_ARGUMENT;
    first_arg[by_argument[a]] = next;
    next += ArgumentsOf(insert);
  }
  // Further arguments are ignored, as printf ignores them: a translation may
  // leave one out.

  BoundedOut out(buf, size);
  for (std::size_t i = 0; i <= count; ++i) {
    PutPrintfLiteral(out, text.pieces[i]);
    if (i < count && !PutInsert(out, text.inserts[i], args + first_arg[i])) return QOMSG_ERR_ARGUMENT;
  }
  return out.Finish();
}

std::vector<qomsg_arg> CollectArguments(const CompiledText& text, va_list ap) {
  const std::size_t count = text.inserts.size();
  std::vector<const Insert*> by_argument(count, nullptr);
  for (const Insert& insert : text.inserts) by_argument[insert.argument - 1] = &insert;
  std::vector<qomsg_arg> args;
  for (const Insert* insert : by_argument) {
    for (int s = 0; s < insert->stars; ++s) {
      qomsg_arg star{};
      star.type = QOMSG_ARG_INT;
      star.v.i = va_arg(ap, int);
      args.push_back(star);
    }
    qomsg_arg value{};
    value.type = insert->type;
    switch (insert->type) {
      case QOMSG_ARG_INT: value.v.i = va_arg(ap, int); break;
      case QOMSG_ARG_LONG: value.v.l = va_arg(ap, long); break;
      case QOMSG_ARG_DOUBLE: value.v.d = va_arg(ap, double); break;
      default: value.v.p = va_arg(ap, const void*); break;
    }
    args.push_back(value);
  }
  return args;
}

}  // namespace qokit::reader
