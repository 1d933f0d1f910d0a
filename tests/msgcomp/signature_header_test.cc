// The companion header writer refuses what would not compile as C, and
// reports a failed write; the text itself is checked by the golden cases of
// qomsgsig and by compiling clients against it.
#include "signature_header.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace qokit::sig;

namespace {

using Status = SignatureHeaderStatus;

TEST(SignatureHeader, RefusesNamesThatAreNotCAndFailedWrites) {
  const SignatureSet good{{{"FILES", 1, "%d%s"}, {"READY", 2, ""}}, 1234};
  struct Row {
    const char* name;
    SignatureSet set;
    const char* file;
    const char* prefix;
    Status status;
    const char* culprit;
  };
  const Row rows[] = {
      {"sound", good, "app.h", "app_1", Status::kOk, ""},
      {"no messages", {{}, 0}, "app.h", "app", Status::kNoMessages, ""},
      {"prefix with a digit first", good, "app.h", "1app", Status::kBadPrefix, ""},
      {"empty prefix", good, "app.h", "", Status::kBadPrefix, ""},
      {"prefix with a dash", good, "app.h", "my-app", Status::kBadPrefix, ""},
      {"quote in the file name", good, "a\"b.h", "app", Status::kBadSymbolFileName, ""},
      {"backslash in the file name", good, "a\\b.h", "app", Status::kBadSymbolFileName, ""},
      {"line end in the file name", good, "a\nb.h", "app", Status::kBadSymbolFileName, ""},
      {"empty file name", good, "", "app", Status::kBadSymbolFileName, ""},
      {"symbol of no C name", {{{"OK", 1, ""}, {"NOT.OK", 2, ""}}, 1}, "app.h", "app", Status::kBadSymbol, "NOT.OK"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    std::string culprit;
    EXPECT_EQ(qokit::sig::WriteSignatureHeader(out, row.set, row.file, row.prefix, culprit), row.status);
    EXPECT_EQ(culprit, row.culprit);
    // Nothing is written unless the whole header can be.
    EXPECT_EQ(std::ftell(out) > 0, row.status == Status::kOk);
    std::fclose(out);
  }
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  std::string culprit;
  EXPECT_EQ(qokit::sig::WriteSignatureHeader(full, good, "app.h", "app", culprit), Status::kWriteFailed);
  std::fclose(full);
}

}  // namespace
