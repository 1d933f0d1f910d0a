// The message object file reader on arbitrary bytes, with every message it
// accepts looked up and formatted.
//
// Properties: a catalogue that opens hands out only messages whose inserts
// describe every argument 1..N; formatting needs those arguments and ignores
// further ones; the length returned does not depend on the buffer, and a
// short buffer holds the terminated start of the full text; a refused call
// leaves an empty text. And every message that opens is one printf reads as
// the reader does: the arguments glibc's printf takes from its compiled form
// are the inserts' (count, order, type, stars), and the reader prints
// exactly what snprintf prints for it in positional form, through the
// argument array and through the variadic call alike.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "compiled_text.h"
#include "fuzz_check.h"
#include "qokit/qomsg.h"
#include "text_properties.h"

namespace {

void CheckMessage(const qomsg_catalog* catalog, long number, int star_value, uint64_t seed) {
  qomsg_message message;
  CHECK(qomsg_lookup(catalog, number, &message) == QOMSG_OK);
  CHECK(message.number == number);
  CHECK(message.severity >= 0 && message.severity <= 7);
  CHECK(std::strlen(message.response) <= 7);
  CHECK(message.insert_count >= 0 && message.insert_count <= 100);

  std::vector<qomsg_arg> args;
  for (int a = 1; a <= message.insert_count; ++a) {
    qomsg_insert insert;
    CHECK(qomsg_get_insert(catalog, number, a, &insert) == QOMSG_OK);
    CHECK(insert.argument == a);
    CHECK(insert.position >= 0 && insert.position < message.insert_count);
    CHECK(insert.conversion_len >= 2 && insert.conversion[0] == '%');
    CHECK(insert.stars >= 0 && insert.stars <= 2);
    for (int s = 0; s < insert.stars; ++s) args.push_back({QOMSG_ARG_INT, {.i = star_value}});
    qomsg_arg value{insert.type, {}};
    switch (insert.type) {
      case QOMSG_ARG_POINTER: {
        const bool wide = insert.conversion_len >= 3 && insert.conversion[insert.conversion_len - 2] == 'l';
        value.v.p = wide ? static_cast<const void*>(L"wide") : "text";
        break;
      }
      case QOMSG_ARG_INT: value.v.i = -12345; break;
      case QOMSG_ARG_LONG: value.v.l = 1234567890L; break;
      case QOMSG_ARG_DOUBLE: value.v.d = 2.5; break;
      default: CHECK(false);
    }
    args.push_back(value);
  }
  qomsg_insert beyond;
  CHECK(qomsg_get_insert(catalog, number, message.insert_count + 1, &beyond) != QOMSG_OK);

  // Huge widths would only spend the fuzzer's time and memory on padding.
  if (oracle::LargestFieldNumber(std::string(reinterpret_cast<const char*>(message.compiled), message.compiled_len)) > 100000) return;
  std::vector<char> full(4096);
  const int length = qomsg_format_args(catalog, number, full.data(), full.size(), args.data(), args.size());
  if (length < 0) {  // printf's own limits (a text over INT_MAX bytes), refused cleanly
    CHECK(full[0] == '\0');
    return;
  }
  if (static_cast<size_t>(length) >= full.size()) {
    full.resize(static_cast<size_t>(length) + 1);
    CHECK(qomsg_format_args(catalog, number, full.data(), full.size(), args.data(), args.size()) == length);
  }
  CHECK(std::strlen(full.data()) <= static_cast<size_t>(length));
  // The variadic call, which hands an in-order text to vsnprintf whole, prints the same.
  std::string through_varargs;
  CHECK(oracle::VariadicFormat(catalog, number, args, through_varargs) == length);
  CHECK(through_varargs == std::string(full.data(), static_cast<size_t>(length)));
  std::vector<char> small(1 + static_cast<size_t>(length) / 2, '\x7f');
  CHECK(qomsg_format_args(catalog, number, small.data(), small.size(), args.data(), args.size()) == length);
  CHECK(small.back() == '\0');
  CHECK(std::strncmp(small.data(), full.data(), small.size() - 1) == 0);
  std::vector<qomsg_arg> more = args;
  more.push_back({QOMSG_ARG_LONG, {.l = 5}});
  CHECK(qomsg_format_args(catalog, number, full.data(), full.size(), more.data(), more.size()) == length);
  if (!args.empty()) {
    CHECK(qomsg_format_args(catalog, number, full.data(), full.size(), args.data(), args.size() - 1) < 0);
    CHECK(full[0] == '\0');
  }

  qokit::reader::CompiledText decoded;
  std::string why;
  const std::string_view bytes(reinterpret_cast<const char*>(message.compiled), message.compiled_len);
  CHECK(qokit::reader::DecodeCompiledText(bytes, decoded, why));
  CHECK(static_cast<int>(decoded.inserts.size()) == message.insert_count);
  std::vector<int> types;
  for (const qomsg_arg& a : args) types.push_back(a.type);
  CHECK(types == oracle::FlatTypes(decoded));
  CHECK(fuzzprops::PrintfTypesOfCompiled(bytes, decoded) == types);
  const std::string positional = fuzzprops::PositionalOfDecoded(decoded);
  fuzzprops::CheckFormatting(decoded, positional, seed);
  // An in-order text is itself the format that printf-based clients use.
  if (decoded.in_order) fuzzprops::CheckFormatting(decoded, std::string(bytes.substr(1, bytes.size() - 2)), seed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qomsg_catalog* catalog = nullptr;
  char detail[256];
  const int opened = qomsg_open_memory(data, size, &catalog, detail, sizeof detail);
  if (opened != QOMSG_OK) {
    CHECK(catalog == nullptr && opened < 0 && std::strlen(detail) < sizeof detail);
    return 0;
  }
  qomsg_info info;
  CHECK(qomsg_get_info(catalog, &info) == QOMSG_OK);
  const int star_value = size > 0 ? data[size - 1] % 24 - 4 : 0;
  const uint64_t seed = size > 1 ? data[size - 2] : 0;
  long count = 0;
  for (long number = qomsg_next_number(catalog, 0); number != QOMSG_NONE; number = qomsg_next_number(catalog, number)) {
    CHECK(number >= info.min_msg_num && number <= info.max_msg_num);
    CheckMessage(catalog, number, star_value, seed);
    ++count;
  }
  CHECK(count == info.msg_count);
  qomsg_close(catalog);
  return 0;
}
