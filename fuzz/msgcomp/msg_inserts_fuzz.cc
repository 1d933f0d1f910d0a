// Insert checking and compiling of one message text.
//
// Properties: a text that passes the check compiles into no more than the
// room the compiler reserves for it (refusals are limited to the forms the
// check cannot see); the compiled form decodes in the client reader unless an
// insert's conversion is one that printf cannot be trusted with; and its
// pieces and conversions, put back in text order, are the text without its
// "@n" argument numbers. (An in-order text is a printf format, so a "%" in
// its literal text may read as one more conversion there.)
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "compiled_text.h"
#include "compiler_fixture.h"
#include "inserts.h"
#include "source_reader.h"

namespace {

// Where each insert of a checked text lies: its "@", its "%" and its
// conversion letter. As in the compiler, the scan for the next "@" goes on
// after the conversion letter, so an "@" inside a conversion is no insert.
struct InsertPlace {
  size_t sign, percent, letter;
};

std::vector<InsertPlace> InsertPlaces(const std::string& text) {
  std::vector<InsertPlace> places;
  for (size_t sign = text.find('@'); sign != std::string::npos;) {
    const size_t percent = text.find('%', sign);
    const size_t letter = text.find_first_of(qomsg::kConversionLetters, percent + 1);
    CHECK(percent != std::string::npos && letter != std::string::npos);
    places.push_back({sign, percent, letter});
    sign = text.find('@', letter + 1);
  }
  return places;
}

// The text with the argument number of every insert left out.
std::string WithoutArgumentNumbers(const std::string& text) {
  std::string out;
  size_t at = 0;
  for (const InsertPlace& place : InsertPlaces(text)) {
    out.append(text, at, place.sign - at);
    at = place.percent;
  }
  out.append(text, at, std::string::npos);
  return out;
}

// Whether every insert's conversion is one the client reader formats.
bool AllConversionsPrintable(const std::string& text) {
  for (const InsertPlace& place : InsertPlaces(text)) {
    const std::string spec = text.substr(place.percent, place.letter - place.percent + 1);
    if (qomsg::ScanConversion(spec, 0) != spec.size()) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The parser hands over NUL-terminated texts of at most kMaxTextLen bytes.
  std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, kMaxTextLen));
  text.resize(std::strlen(text.c_str()));
  CompilerFixture fixture({});
  MsgCompilerState& st = fixture.state();
  if (CheckInserts(text.c_str()) != 0) return 0;
  CHECK(st.maxInserts >= 0 && st.maxInserts <= kMaxArgumentNumber);
  CHECK(InsertPlaces(text).size() == static_cast<size_t>(st.maxInserts));

  const size_t bound = CompiledSizeBound(text.size());
  std::vector<unsigned char> buffer(bound);
  const size_t length = CompileMessageText(text.c_str(), buffer.data(), buffer.size());
  CHECK(length <= bound);
  if (length == 0) {
    // Only long doubles and more than two stars in one conversion are refused here.
    CHECK(text.find("l") != std::string::npos || text.find("L") != std::string::npos ||
          text.find("**") != std::string::npos || text.find('*') != text.rfind('*'));
    return 0;
  }

  qomsg::CompiledText decoded;
  std::string why;
  const std::string_view bytes(reinterpret_cast<const char*>(buffer.data()), length);
  if (!qomsg::DecodeCompiledText(bytes, decoded, why)) {
    CHECK(!AllConversionsPrintable(text));
    return 0;
  }
  if (!decoded.in_order) CHECK(decoded.inserts.size() == static_cast<size_t>(st.maxInserts));
  CHECK(decoded.pieces.size() == decoded.inserts.size() + 1);
  std::string rebuilt;
  for (size_t k = 0; k < decoded.inserts.size(); ++k) {
    rebuilt.append(decoded.pieces[k]);
    rebuilt.append(decoded.inserts[k].conversion);
  }
  rebuilt.append(decoded.pieces.back());
  CHECK(rebuilt == WithoutArgumentNumbers(text));
  return 0;
}
