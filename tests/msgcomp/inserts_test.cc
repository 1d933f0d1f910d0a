#include "inserts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler_state.h"

using namespace qokit::msgcomp;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes B(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) out.push_back(static_cast<unsigned char>(v));
  return out;
}
// The bytes of a text followed by its NUL.
Bytes Z(const std::string& text) {
  Bytes out(text.begin(), text.end());
  out.push_back(0);
  return out;
}
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Runs the first pass on one text, then compiles it as the second pass would.
struct Compiled {
  int check = -1;
  std::string checkErrors;
  Bytes bytes;
  std::string compileErrors;
};

Compiled Compile(const std::string& text) {
  Compiled result;
  testing::internal::CaptureStderr();
  result.check = qokit::msgcomp::CheckInserts(text.c_str());
  result.checkErrors = testing::internal::GetCapturedStderr();
  if (result.check != 0) return result;
  Bytes buffer(qokit::msgcomp::CompiledSizeBound(text.size()));
  testing::internal::CaptureStderr();
  const size_t length = qokit::msgcomp::CompileMessageText(text.c_str(), buffer.data(), buffer.size());
  result.compileErrors = testing::internal::GetCapturedStderr();
  buffer.resize(length);
  result.bytes = buffer;
  return result;
}

TEST(CompileMessageText, ProducesTheCompiledForms) {
  struct Row {
    std::string text;
    Bytes expected;
  };
  const Row rows[] = {
      {"Ready.", B({1}) + Z("Ready.")},
      {"", B({1, 0})},
      {"File @1%s has @2%d records.", B({1}) + Z("File %s has %d records.")},
      {"@2%d: @1%s", B({0, 2, 1, 0, 0, 1}) + Z("%d") + B({0, 0}) + Z("%s") + Z("") + Z(": ") + Z("")},
      {"100%% sure @1%d", B({1}) + Z("100%% sure %d")},
      // Every printf flag (grouping too), width, precision and the length
      // letters whose argument has the size of the recorded type.
      {"@1%'d @2%-+ #08.3e @3%'.2f", B({1}) + Z("%'d %-+ #08.3e %'.2f")},
      {"@2%lld@1%hhu", B({0, 2, 1, 0, 0, 2}) + Z("%lld") + B({0, 1}) + Z("%hhu") + Z("") + Z("") + Z("")},
      {"@1%ls @2%.*s @3%.d", B({1}) + Z("%ls %.*s %.d")},
      // Types and stars of each insert: int, long, double, string/pointer.
      {"@4%p @3%5.2f @2%ld @1%*.*x",
       B({0, 4, 3, 2, 1, 0}) + B({0, 0}) + Z("%p") + B({0, 3}) + Z("%5.2f") + B({0, 2}) + Z("%ld") + B({2, 1}) +
           Z("%*.*x") + Z("") + Z(" ") + Z(" ") + Z(" ") + Z("")},
      {"@2%hd@1%lo", B({0, 2, 1, 0, 0, 1}) + Z("%hd") + B({0, 2}) + Z("%lo") + Z("") + Z("") + Z("")},
      // Leading blanks and a sign before the argument number are read as strtol reads them.
      {"a@ +1%s", B({1}) + Z("a%s")},
  };
  for (const Row& row : rows) {
    CompilerStateTest t;
    const Compiled c = Compile(row.text);
    EXPECT_EQ(c.check, 0) << row.text << c.checkErrors;
    EXPECT_EQ(c.bytes, row.expected) << row.text;
  }
}

TEST(CompileMessageText, WorkedExamplesHaveTheirLengths) {
  CompilerStateTest t;
  EXPECT_EQ(Compile("Ready.").bytes.size(), 8u);
  EXPECT_EQ(Compile("@2%d: @1%s").bytes.size(), 19u);
}

TEST(CompileMessageText, LongestTextFitsTheBound) {
  CompilerStateTest t;
  std::string text;
  for (int n = 1; n <= 100; ++n) text = std::string("@").append(std::to_string(n)).append("%d").append(text);  // reversed order, flag 0
  text.resize(1024, 'x');
  const Compiled c = Compile(text);
  ASSERT_EQ(c.check, 0) << c.checkErrors;
  EXPECT_EQ(c.bytes[0], 0);
  EXPECT_EQ(c.bytes[1], 100);
  EXPECT_LE(c.bytes.size(), qokit::msgcomp::CompiledSizeBound(text.size()));
}

TEST(CheckInserts, RejectsBadInsertsWithPositionLines) {
  struct Row {
    std::string text;
    std::string message;
  };
  const Row rows[] = {
      {"Bad @x%s", "Conversion 1: argument number is less than 1\n"},
      {"@1%s @0%s", "Conversion 2: argument number is less than 1\n"},
      {"@-1%s", "Conversion 1: argument number is less than 1\n"},
      {"@1%s @1%d", "Conversion 2: duplicate argument number\n"},
      {"@1s", "Conversion 1:percent sign must follow the argument number\n"},
      {"@1%%s", "Conversion 1: double percent sign...\n"},
      {"@1%s @3%s", "Argument numbers do not form a sequence starting with 1"},
      {"@101%s", "Conversion 1: argument number is greater than 100\n"},
      {"@99999999999999999999%s", "Conversion 1: argument number is greater than 100\n"},
      {"@1%s @2%5", "Conversion 2: no conversion character follows the percent sign\n"},
      {"@1%", "Conversion 1: no conversion character follows the percent sign\n"},
      // printf reads these conversions otherwise than the insert scan does.
      {"v=@1%F items @2%s", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      {"@1%a and @2%d", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      {"@1%s @2%n of @3%d", "Conversion 2: invalid flags, width, precision or length in the conversion\n"},
      {"@1%Id", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      {"@1%1$d", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      {"@1%hs", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      {"@1%lp", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      {"@1%5.2.1f", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      {"@1%-@2d", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      {"@1%3000000000d", "Conversion 1: invalid flags, width, precision or length in the conversion\n"},
      // The argument printf takes has another size than the recorded type.
      {"@1%zu", "Conversion 1: length modifier does not match the size of the argument type\n"},
      {"@1%s @2%jd", "Conversion 2: length modifier does not match the size of the argument type\n"},
      {"@1%td", "Conversion 1: length modifier does not match the size of the argument type\n"},
      {"@1%qd", "Conversion 1: length modifier does not match the size of the argument type\n"},
      {"@1%lc", "Conversion 1: length modifier does not match the size of the argument type\n"},
      {"@2%Lx@1%c", "Conversion 1: length modifier does not match the size of the argument type\n"},
      // A "%" of the literal text would be one more conversion in the compiled form.
      {"100% done @1%s", "Conversion 1: percent sign outside an insert must be written %%\n"},
      {"@1%s is 5%", "Conversion 2: percent sign outside an insert must be written %%\n"},
      {"50%%% @1%s", "Conversion 1: percent sign outside an insert must be written %%\n"},
  };
  for (const Row& row : rows) {
    CompilerStateTest t;
    t.state().curSourceLine = 12;
    t.state().curSourceFile = 1;
    const Compiled c = Compile(row.text);
    EXPECT_EQ(c.check, 1) << row.text;
    EXPECT_EQ(c.checkErrors, "curSourceLine: 12 \ncurSourceFile: 1 \n" + row.message) << row.text;
  }
}

TEST(CheckInserts, RaisesRunWideMaximaOnly) {
  CompilerStateTest t;
  ASSERT_EQ(qokit::msgcomp::CheckInserts("@1%s @2%-10.3ld @3%d"), 0);
  EXPECT_EQ(t.state().maxInserts, 3);
  EXPECT_EQ(t.state().maxSpecLen, 8);
  ASSERT_EQ(qokit::msgcomp::CheckInserts("@1%d"), 0);
  EXPECT_EQ(t.state().maxInserts, 3);
  EXPECT_EQ(t.state().maxSpecLen, 8);
  testing::internal::CaptureStderr();
  EXPECT_EQ(qokit::msgcomp::CheckInserts("@2%d"), 1);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(t.state().maxInserts, 3);
}

TEST(CompileMessageText, SecondPassErrors) {
  struct Row {
    std::string text;
    std::string message;
  };
  const Row rows[] = {
      {"Value @1%lf", "Long double (%le, %lf, or %lg) not supported in this release.\n"
                      "Raw message text:\nValue @1%lf\n"},
      {"@1%LG", "Long double (%le, %lf, or %lg) not supported in this release.\nRaw message text:\n@1%LG\n"},
      {"@1%*.*.*d", "More than 2 asterisks in the control string\n"},
  };
  for (const Row& row : rows) {
    CompilerStateTest t;
    const Compiled c = Compile(row.text);
    EXPECT_EQ(c.check, 0) << row.text;
    EXPECT_TRUE(c.bytes.empty()) << row.text;
    EXPECT_EQ(c.compileErrors, row.message);
  }
}

TEST(CompileMessageText, NeverWritesPastItsBuffer) {
  CompilerStateTest t;
  ASSERT_EQ(qokit::msgcomp::CheckInserts("Hello @1%s"), 0);
  unsigned char buffer[6] = {};
  EXPECT_EQ(qokit::msgcomp::CompileMessageText("Hello @1%s", buffer, sizeof buffer), 0u);
}

}  // namespace
