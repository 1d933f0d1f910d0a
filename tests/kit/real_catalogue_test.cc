// Real translations through the compiler and the reader: every message of
// every language prints exactly what glibc's printf prints for the
// translation with the same arguments.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "po_source.h"
#include "printf_oracle.h"
#include "qokit/qomsg.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

struct CatalogPtr {
  qomsg_catalog* p = nullptr;
  ~CatalogPtr() { qomsg_close(p); }
};

TEST(RealCatalogue, EveryTranslationPrintsAsPrintfPrintsIt) {
  const std::filesystem::path data = std::filesystem::path(QOKIT_SOURCE_DIR) / "tests/kit/data/sed-po";
  int languages = 0;
  for (const auto& file : std::filesystem::directory_iterator(data)) {
    if (file.path().extension() != ".po") continue;
    SCOPED_TRACE(file.path().filename().string());
    ++languages;
    const kittest::PoConversion converted = kittest::ConvertPo(kittest::ParsePo(ReadFileBytes(file.path())));
    TempDir dir;
    dir.Write("a.msg", converted.source);
    const RunOptions in_dir{"", dir.path(), 60, {"LC_ALL=C"}};
    RunResult r = RunProgram(QOGENMSG_PATH, {"regensym", "msgs.h", "a.msg"}, in_dir);
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunProgram(QOGENMSG_PATH, {"genobj", "msgs.h", "msgs.obj", "a.msg"}, in_dir);
    ASSERT_EQ(r.status, 0) << r.err;
    CatalogPtr cat;
    char detail[256];
    ASSERT_EQ(qomsg_open_file((dir / "msgs.obj").c_str(), &cat.p, detail, sizeof detail), QOMSG_OK) << detail;

    int formats = 0;
    for (const kittest::ConvertedMessage& m : converted.messages) {
      std::string expected = m.translation;
      if (m.is_format) {
        ++formats;
        ASSERT_GE(oracle::Snprintf(m.translation, m.args, expected), 0) << m.translation;
      }
      std::vector<char> buf(expected.size() + 1);
      const int n = qomsg_format_args(cat.p, m.number, buf.data(), buf.size(), m.args.data(), m.args.size());
      ASSERT_EQ(n, static_cast<int>(expected.size())) << m.translation;
      EXPECT_EQ(std::string(buf.data(), static_cast<size_t>(n)), expected);
    }
    std::string report = file.path().filename().string() + ": " + std::to_string(converted.messages.size()) +
                         " messages compiled and compared (" + std::to_string(formats) + " with conversions)";
    for (const auto& [reason, count] : converted.skipped) report += "; left out: " + std::to_string(count) + " " + reason;
    std::printf("%s\n", report.c_str());
    EXPECT_GT(formats, 30);
  }
  EXPECT_GE(languages, 4);
}

}  // namespace
