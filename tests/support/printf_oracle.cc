#include "printf_oracle.h"

#include <ffi.h>
#include <printf.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>

#include "insert_syntax.h"

namespace oracle {

std::vector<int> PrintfArgumentTypes(const std::string& format) {
  const std::size_t count = parse_printf_format(format.c_str(), 0, nullptr);
  std::vector<int> raw(count);
  parse_printf_format(format.c_str(), raw.size(), raw.data());
  std::vector<int> types;
  for (const int t : raw) {
    const int base = t & ~PA_FLAG_MASK;
    const int flags = t & PA_FLAG_MASK;
    int type = kNoArgType;
    if ((base == PA_INT || base == PA_CHAR) && (flags & PA_FLAG_PTR) == 0) {
      const std::size_t size = (flags & PA_FLAG_LONG_LONG) ? sizeof(long long)
                               : (flags & PA_FLAG_LONG)    ? sizeof(long)
                                                           : sizeof(int);
      type = size == sizeof(int) ? QOMSG_ARG_INT : size == sizeof(long) ? QOMSG_ARG_LONG : kNoArgType;
    } else if (base == PA_STRING || base == PA_WSTRING || base == PA_POINTER) {
      type = flags == 0 ? QOMSG_ARG_POINTER : kNoArgType;
    } else if (base == PA_DOUBLE && flags == 0) {
      type = QOMSG_ARG_DOUBLE;
    }
    types.push_back(type);
  }
  return types;
}

namespace {

// Each argument passed as its own C type after a call's fixed ones.
void AddVariadic(const std::vector<qomsg_arg>& args, std::vector<ffi_type*>& types, std::vector<void*>& values) {
  for (const qomsg_arg& a : args) {
    switch (a.type) {
      case QOMSG_ARG_INT: types.push_back(&ffi_type_sint); break;
      case QOMSG_ARG_LONG: types.push_back(&ffi_type_slong); break;
      case QOMSG_ARG_DOUBLE: types.push_back(&ffi_type_double); break;
      default: types.push_back(&ffi_type_pointer); break;
    }
    values.push_back(const_cast<void*>(static_cast<const void*>(&a.v)));
  }
}

// Calls a formatting function whose fixed arguments are `before`, then
// (char* buf, size_t size), then `after`, with a buffer large enough for the
// whole text, and each of `args` as its own C type.
int CallIntoBuffer(void (*function)(), std::vector<ffi_type*> types, std::vector<void*> values,
                   const std::vector<ffi_type*>& after_types, const std::vector<void*>& after_values,
                   const std::vector<qomsg_arg>& args, std::string& out) {
  std::vector<char> buffer(4096);
  char* buf = buffer.data();
  unsigned long size = buffer.size();
  types.insert(types.end(), {&ffi_type_pointer, &ffi_type_ulong});
  values.insert(values.end(), {&buf, &size});
  types.insert(types.end(), after_types.begin(), after_types.end());
  values.insert(values.end(), after_values.begin(), after_values.end());
  const auto fixed = static_cast<unsigned>(types.size());
  AddVariadic(args, types, values);
  ffi_cif cif;
  if (ffi_prep_cif_var(&cif, FFI_DEFAULT_ABI, fixed, static_cast<unsigned>(types.size()), &ffi_type_sint,
                       types.data()) != FFI_OK) {
    return -1;
  }
  ffi_arg result = 0;
  for (;;) {
    ffi_call(&cif, function, &result, values.data());
    const int n = static_cast<int>(result);
    if (n < 0 || static_cast<unsigned long>(n) < size) {
      out.assign(buf, n < 0 ? 0 : static_cast<std::size_t>(n));
      return n;
    }
    buffer.resize(static_cast<std::size_t>(n) + 1);
    buf = buffer.data();
    size = buffer.size();
  }
}

}  // namespace

int Snprintf(const std::string& format, const std::vector<qomsg_arg>& args, std::string& out) {
  const char* fmt = format.c_str();
  return CallIntoBuffer(FFI_FN(std::snprintf), {}, {}, {&ffi_type_pointer}, {&fmt}, args, out);
}

int VariadicFormat(const qomsg_catalog* catalog, long number, const std::vector<qomsg_arg>& args, std::string& out) {
  return CallIntoBuffer(FFI_FN(qomsg_format), {&ffi_type_pointer, &ffi_type_slong}, {&catalog, &number}, {}, {},
                        args, out);
}

std::string PositionalFormat(const std::vector<std::string_view>& pieces, const std::vector<PlacedInsert>& inserts) {
  std::vector<qokit::format::Conversion> parsed(inserts.size());
  std::map<long, int> stars;  // per argument number
  for (std::size_t i = 0; i < inserts.size(); ++i) {
    qokit::format::ParsePrintf(inserts[i].conversion, parsed[i]);
    stars[inserts[i].argument] = parsed[i].stars;
  }
  // First position of each argument number: all stars and values before it.
  std::map<long, int> first;
  int next = 1;
  for (const auto& [argument, n] : stars) {
    first[argument] = next;
    next += n + 1;
  }
  std::string out;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    out += pieces[i];
    if (i == inserts.size()) break;
    const qokit::format::Conversion& c = parsed[i];
    int star = first[inserts[i].argument];
    const auto field = [&](std::string_view value) {
      if (value == "*") {
        out.append("*").append(std::to_string(star++)).append("$");
      } else {
        out += value;
      }
    };
    out.append("%").append(std::to_string(first[inserts[i].argument] + c.stars)).append("$");
    out += c.flags;
    field(c.width);
    if (c.has_precision) {
      out += '.';
      field(c.precision);
    }
    out += c.length_text;
    out += c.letter;
  }
  return out;
}

std::string PositionalForm(const std::string& text) {
  std::vector<std::string_view> pieces;
  std::vector<PlacedInsert> inserts;
  const char* rest = text.c_str();
  qokit::format::InsertSpan span;
  while (qokit::format::NextInsert(rest, span) && span.end != nullptr) {
    pieces.emplace_back(rest, static_cast<std::size_t>(span.at - rest));
    inserts.push_back({span.argument, qokit::format::ConversionOf(span)});
    rest = span.end;
  }
  pieces.emplace_back(rest);
  return PositionalFormat(pieces, inserts);
}

bool NegativeWidthMisprinted(std::string_view conversion) {
  qokit::format::Conversion c;
  return qokit::format::ParsePrintf(conversion, c) && c.width == "*" && c.flags.find('0') != std::string_view::npos &&
         std::string_view("eEfgG").find(c.letter) != std::string_view::npos;
}

std::vector<const qokit::reader::Insert*> ByArgument(const qokit::reader::CompiledText& text) {
  std::vector<const qokit::reader::Insert*> by(text.inserts.size(), nullptr);
  for (const qokit::reader::Insert& insert : text.inserts) {
    if (insert.argument >= 1 && static_cast<std::size_t>(insert.argument) <= by.size()) by[insert.argument - 1] = &insert;
  }
  return by;
}

std::vector<int> FlatTypes(const qokit::reader::CompiledText& text) {
  std::vector<int> types;
  for (const qokit::reader::Insert* insert : ByArgument(text)) {
    if (insert == nullptr) return {kNoArgType};
    types.insert(types.end(), static_cast<std::size_t>(insert->stars), QOMSG_ARG_INT);
    types.push_back(insert->type);
  }
  return types;
}

std::vector<qomsg_arg> ArgumentsFor(const qokit::reader::CompiledText& text, uint64_t seed) {
  static const wchar_t kWide[] = L"wide";
  static const int kInts[] = {0, 1, -1, 42, 65, INT_MAX, INT_MIN, 1234567};
  static const long kLongs[] = {0, -1, 7, LONG_MAX, LONG_MIN, 1234567890123L};
  static const double kDoubles[] = {0.0, -0.0, 1.5, 1e300, -2.5e-300, NAN, -INFINITY, 1234567.891, DBL_MIN};
  static const int kStars[] = {0, 3, -4, 12, -1};
  static const int kSelf = 0;
  const auto pick = [&seed](std::size_t n) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::size_t>(seed >> 33) % n;
  };
  std::vector<qomsg_arg> args;
  for (const qokit::reader::Insert* insert : ByArgument(text)) {
    if (insert == nullptr) break;
    for (int s = 0; s < insert->stars; ++s) {
      int star = kStars[pick(std::size(kStars))];
      if (s == 0 && NegativeWidthMisprinted(insert->conversion)) star = star < 0 ? -star : star;
      args.push_back({QOMSG_ARG_INT, {.i = star}});
    }
    qomsg_arg value{insert->type, {}};
    const std::string_view c = insert->conversion;
    const bool wide = c.size() >= 3 && c[c.size() - 2] == 'l';
    switch (insert->type) {
      case QOMSG_ARG_INT: value.v.i = kInts[pick(std::size(kInts))]; break;
      case QOMSG_ARG_LONG: value.v.l = kLongs[pick(std::size(kLongs))]; break;
      case QOMSG_ARG_DOUBLE: value.v.d = kDoubles[pick(std::size(kDoubles))]; break;
      default:
        if (c.back() == 'p') {
          value.v.p = pick(2) == 0 ? nullptr : &kSelf;
        } else {
          value.v.p = pick(4) == 0 ? nullptr : wide ? static_cast<const void*>(kWide) : "text";
        }
        break;
    }
    args.push_back(value);
  }
  return args;
}

long LargestFieldNumber(const std::string& format) {
  long largest = 0;
  long current = 0;
  for (const char c : format) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      current = std::min(current * 10 + (c - '0'), 1L << 40);
      largest = std::max(largest, current);
    } else {
      current = 0;
    }
  }
  return largest;
}

}  // namespace oracle
