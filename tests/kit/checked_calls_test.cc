// The companion header makes the C and C++ compilers check every call: a
// call whose arguments do not fit the message's signature draws -Wformat
// (an error here, with -Werror=format), the fitting calls compile without
// any warning, and two catalogues' headers meet in one client.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "consumer_build.h"
#include "temp_dir.h"

namespace {

enum class Verdict { kClean, kFormatError, kError };

struct Compiler {
  std::string program;
  std::string standard;
  std::string language;  // for -x
};

std::vector<Compiler> Compilers() {
  const std::vector<Compiler> all = {{"gcc", "-std=c11", "c"},
                                     {"clang", "-std=c11", "c"},
                                     {"g++", "-std=c++17", "c++"},
                                     {"clang++", "-std=c++20", "c++"}};
  std::vector<Compiler> present;
  for (const Compiler& c : all) {
    if (Exec({"/bin/sh", "-c", "command -v " + c.program}).status == 0) present.push_back(c);
  }
  return present;
}

long ChecksumOf(const std::string& symbol_file) {
  const std::size_t at = symbol_file.find("_MSGSYM_CHECKSUM");
  return at == std::string::npos ? -1 : std::strtol(symbol_file.c_str() + at + 16, nullptr, 10);
}

TEST(CheckedCalls, WrongArgumentsDrawFormatWarningsFromCAndCxx) {
  TempDir dir;
  dir.Write("app.msg",
            "1 I FILES \"@1%d files in @2%s\"\n"
            "2 W PADDED \"@1%*d|@2%-*.*s\"\n"
            "3 I READY \"Ready.\"\n"
            "4 I SIZE \"@2%.1f%% of @1%ld bytes\"\n");
  dir.Write("other.msg", "7 E NOTE \"note: @1%s\"\n");
  for (const char* name : {"app", "other"}) {
    const std::string n = name;
    RunResult r = RunProgram(QOGENMSG_PATH, {"regensym", n + ".h", n + ".msg"}, InDir(dir.path()));
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunProgram(QOMSGSIG_PATH, {n + ".h", n + "_sig.h", n, n + ".msg"}, InDir(dir.path()));
    ASSERT_EQ(r.status, 0) << r.err;
  }
  const long app_checksum = ChecksumOf(dir.Read("app.h"));
  const long other_checksum = ChecksumOf(dir.Read("other.h"));
  ASSERT_GT(app_checksum, 0);
  ASSERT_NE(app_checksum, other_checksum);

  struct Row {
    const char* name;
    std::string body;
    Verdict verdict;
  };
  const std::vector<Row> rows = {
      {"fitting calls",
       "int rc = app_format_FILES(app, buf, size, 3, \"/home\");\n"
       "rc |= app_format_PADDED(app, buf, size, 5, 42, 8, 3, \"abc\");\n"
       "rc |= app_format_READY(app, buf, size);\n"
       "rc |= app_format_SIZE(app, buf, size, 5000L, 2.5);\n"
       "rc |= other_format_NOTE(other, buf, size, \"x\");\n"
       "rc |= qomsg_format(app, FILES, buf, size, \"the plain call is not checked\");\n"
       "return rc;",
       Verdict::kClean},
      {"both tables",
       "STATIC_ASSERT(app_checksum == " + std::to_string(app_checksum) + " && other_checksum == " +
           std::to_string(other_checksum) + " && app_signature_count == 4 && other_signature_count == 1);\n"
           "(void)buf; (void)size;\n"
           "return qomsg_open_memory_checked(app, 0, app_checksum, app_signatures, app_signature_count, 0, 0, 0)"
           " + (int)other_signatures[0].number;",
       Verdict::kClean},
      {"arguments swapped", "return app_format_FILES(app, buf, size, \"/home\", 3);", Verdict::kFormatError},
      {"long for int", "return app_format_FILES(app, buf, size, 3L, \"/home\");", Verdict::kFormatError},
      {"int for long", "return app_format_SIZE(app, buf, size, 5000, 2.5);", Verdict::kFormatError},
      {"stars left out", "return app_format_PADDED(app, buf, size, 42, \"abc\");", Verdict::kFormatError},
      {"one too many", "return app_format_FILES(app, buf, size, 3, \"/home\", 1);", Verdict::kFormatError},
      {"one too few", "return app_format_FILES(app, buf, size, 3);", Verdict::kFormatError},
      {"other catalogue", "return other_format_NOTE(other, buf, size, 7);", Verdict::kFormatError},
      {"argument to a message without", "return app_format_READY(app, buf, size, 1);", Verdict::kError},
  };
  const std::vector<Compiler> compilers = Compilers();
  ASSERT_FALSE(compilers.empty());
  for (const Compiler& compiler : compilers) {
    for (const Row& row : rows) {
      SCOPED_TRACE(compiler.program + ": " + row.name);
      std::string client =
          "#include \"app_sig.h\"\n#include \"other_sig.h\"\n"
          "#ifdef __cplusplus\n#define STATIC_ASSERT(c) static_assert(c, #c)\n"
          "#else\n#define STATIC_ASSERT(c) _Static_assert(c, #c)\n#endif\n"
          "int client(const qomsg_catalog* app, const qomsg_catalog* other, char* buf, size_t size);\n"
          "int client(const qomsg_catalog* app, const qomsg_catalog* other, char* buf, size_t size) {\n"
          "(void)other;\n";
      client.append(row.body).append("\n}\n");
      dir.Write("client.src", client);
      const RunResult r = Exec({compiler.program, "-x", compiler.language, compiler.standard, "-Wall", "-Wextra",
                                "-Wpedantic", "-Werror=format", "-fsyntax-only", "-I", QOKIT_BINARY_DIR "/include",
                                "-I", dir.path().string(), (dir / "client.src").string()});
      // GCC names the option [-Werror=format=], Clang [-Werror,-Wformat...].
      const bool format_diagnostic =
          r.err.find("-Werror=format") != std::string::npos || r.err.find("-Wformat") != std::string::npos;
      switch (row.verdict) {
        case Verdict::kClean:
          EXPECT_EQ(r.status, 0) << r.err;
          EXPECT_EQ(r.err, "");
          break;
        case Verdict::kFormatError:
          EXPECT_NE(r.status, 0);
          EXPECT_TRUE(format_diagnostic) << r.err;
          break;
        case Verdict::kError:
          EXPECT_NE(r.status, 0);
          EXPECT_FALSE(format_diagnostic) << r.err;
          break;
      }
    }
  }
}

}  // namespace
