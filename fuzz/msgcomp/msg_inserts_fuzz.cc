// Insert checking and compiling of one message text.
//
// Properties, for every text that the first pass accepts:
//   - it compiles into no more than the room the compiler reserves for it,
//     and only long doubles and more than two stars are refused there;
//   - the client reader decodes the compiled form, and its pieces and
//     conversions, put back in text order, are the text without its "@n";
//   - (a) the inserts found in the text, (b) the inserts the reader decodes
//     and (c) the arguments glibc's printf takes from the compiled form are
//     the same list: count, argument order, type and stars;
//   - (d) the reader formats it exactly as glibc's snprintf formats the text
//     rewritten into positional form ("@2%d" as "%2$d").
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "compiled_text.h"
#include "compiler_fixture.h"
#include "fuzz_check.h"
#include "insert_syntax.h"
#include "inserts.h"
#include "printf_oracle.h"
#include "source_reader.h"
#include "text_properties.h"

using namespace qokit::msgcomp;

namespace {

struct Found {
  qokit::format::InsertSpan span;
  std::string_view conversion;
};

// (a): every insert of the text by the scanning rule, in text order.
std::vector<Found> InsertsOf(const std::string& text) {
  std::vector<Found> found;
  qokit::format::InsertSpan span;
  for (const char* rest = text.c_str(); qokit::format::NextInsert(rest, span); rest = span.end) {
    CHECK(span.end != nullptr && *span.percent == '%');
    found.push_back({span, qokit::format::ConversionOf(span)});
  }
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The parser hands over NUL-terminated texts of at most kMaxTextLen bytes.
  std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, kMaxTextLen));
  text.resize(std::strlen(text.c_str()));
  CompilerFixture fixture({});
  MsgCompilerState& st = fixture.state();
  if (CheckInserts(text.c_str()) != 0) return 0;
  const std::vector<Found> found = InsertsOf(text);
  CHECK(st.maxInserts >= 0 && st.maxInserts <= kMaxArgumentNumber);
  CHECK(found.size() == static_cast<size_t>(st.maxInserts));

  const size_t bound = CompiledSizeBound(text.size());
  std::vector<unsigned char> buffer(bound);
  const size_t length = CompileMessageText(text.c_str(), buffer.data(), buffer.size());
  CHECK(length <= bound);
  if (length == 0) {
    bool refusable = false;
    for (const Found& f : found) {
      const qokit::format::Verdict v = qokit::format::Judge(f.conversion);
      refusable |= v == qokit::format::Verdict::kLongDouble || v == qokit::format::Verdict::kTooManyStars ||
                   qokit::format::TypeCode(f.conversion) == qokit::format::kTypeLongDouble;
    }
    CHECK(refusable);
    return 0;
  }
  for (const Found& f : found) CHECK(qokit::format::Judge(f.conversion) == qokit::format::Verdict::kSound);

  qokit::reader::CompiledText decoded;
  std::string why;
  const std::string_view bytes(reinterpret_cast<const char*>(buffer.data()), length);
  CHECK(qokit::reader::DecodeCompiledText(bytes, decoded, why));
  CHECK(decoded.pieces.size() == decoded.inserts.size() + 1);
  std::string rebuilt;
  std::string without_numbers;
  const char* copied = text.c_str();
  for (const Found& f : found) {
    without_numbers.append(copied, f.span.at);
    copied = f.span.percent;
  }
  without_numbers.append(copied);
  for (size_t k = 0; k < decoded.inserts.size(); ++k) {
    rebuilt.append(decoded.pieces[k]);
    rebuilt.append(decoded.inserts[k].conversion);
  }
  rebuilt.append(decoded.pieces.back());
  CHECK(rebuilt == without_numbers);

  // (a) = (b): the same inserts in text order, with the type and stars of
  // the conversion as the compiler's rule records them.
  CHECK(decoded.inserts.size() == found.size());
  for (size_t k = 0; k < found.size(); ++k) {
    const qokit::reader::Insert& insert = decoded.inserts[k];
    CHECK(insert.argument == found[k].span.argument);
    CHECK(insert.conversion == found[k].conversion);
    CHECK(insert.type == qokit::format::TypeCode(found[k].conversion));
    CHECK(insert.stars == static_cast<int>(std::count(found[k].conversion.begin(), found[k].conversion.end(), '*')));
  }
  // (b) = (c)
  CHECK(fuzzprops::PrintfTypesOfCompiled(bytes, decoded) == oracle::FlatTypes(decoded));
  // (d)
  uint64_t seed = 0;
  for (size_t i = 0; i < size; ++i) seed = seed * 31 + data[i];
  fuzzprops::CheckFormatting(decoded, oracle::PositionalForm(text), seed);
  return 0;
}
