#include "signature.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiled_form.h"
#include "compiler_state.h"
#include "inserts.h"

using namespace qokit::msgcomp;

namespace {

using Kind = qokit::format::SignatureDifference::Kind;

// Every source text's signature is also what the reader derives from the
// compiled form the compiler writes for it.
TEST(Signature, OfTextsAndOfTheirCompiledForms) {
  struct Row {
    const char* text;
    const char* signature;  // null: not a sound text
  };
  const Row rows[] = {
      {"Ready.", ""},
      {"100%% sure", ""},
      {"@1%d files in @2%s", "%d%s"},
      {"@2%-5d: @1%.*s", "%.*s%d"},
      {"@4%p @3%5.2f @2%ld @1%*.*x", "%*.*x%ld%f%p"},
      {"@1%lld @2%hhu @3%'+08.3e @4%#lo", "%ld%hhu%e%lo"},
      {"@1%ls @2%*c @3%.d", "%ls%*c%d"},
      {"a@ +1%s", "%s"},
      {"@2%d", nullptr},
      {"@1%d @1%d", nullptr},
      {"@1d", nullptr},
      {"@1%Lf", nullptr},
      {"@1%zu", nullptr},
      {"@0%d", nullptr},
  };
  for (const Row& row : rows) {
    std::string signature;
    const bool sound = qokit::format::TextSignature(row.text, signature);
    ASSERT_EQ(sound, row.signature != nullptr) << row.text;
    if (!sound) continue;
    EXPECT_EQ(signature, row.signature) << row.text;

    CompilerStateTest state;
    ASSERT_EQ(qokit::msgcomp::CheckInserts(row.text), 0) << row.text;
    std::vector<unsigned char> buffer(qokit::msgcomp::CompiledSizeBound(std::string(row.text).size()));
    buffer.resize(qokit::msgcomp::CompileMessageText(row.text, buffer.data(), buffer.size()));
    qokit::format::FormParts parts;
    std::string why;
    ASSERT_TRUE(qokit::format::ReadCompiledForm({reinterpret_cast<const char*>(buffer.data()), buffer.size()}, parts, why))
        << row.text << ": " << why;
    std::string from_form;
    ASSERT_TRUE(qokit::format::FormSignature(parts, from_form));
    EXPECT_EQ(from_form, signature) << row.text;
  }
}

TEST(Signature, ComparesCountTypesAndStars) {
  struct Row {
    const char* expected;
    const char* actual;
    Kind kind;
    int argument;
  };
  const Row rows[] = {
      {"%d%s", "%d%s", Kind::kNone, 0},
      {"%d%s", "%c%p", Kind::kNone, 0},  // same types: int and pointer
      {"%x", "%hhd", Kind::kNone, 0},
      {"%d%s", "%s%d", Kind::kType, 1},
      {"%d%s", "%d%ld", Kind::kType, 2},
      {"%f", "%d", Kind::kType, 1},
      {"%d%s", "%d", Kind::kCount, 0},
      {"", "%s", Kind::kCount, 0},
      {"%*d", "%d", Kind::kStars, 1},
      {"%s%.*s", "%s%*.*s", Kind::kStars, 2},
      {"%-5d", "%d", Kind::kMalformed, 0},  // not reduced to a signature entry
      {"%d", "%Lf", Kind::kMalformed, 0},
      {"%d", "d", Kind::kMalformed, 0},
  };
  for (const Row& row : rows) {
    const qokit::format::SignatureDifference d = qokit::format::CompareSignatures(row.expected, row.actual);
    EXPECT_EQ(d.kind, row.kind) << row.expected << " / " << row.actual;
    EXPECT_EQ(d.argument, row.argument) << row.expected << " / " << row.actual;
  }
}

}  // namespace
