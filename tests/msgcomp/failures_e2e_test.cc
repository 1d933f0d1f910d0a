// qogenmsg on damaged inputs: a property over random mutations, which no
// golden case can state (the failure tables are golden cases under
// tests/e2e/cases/qogenmsg-*).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

namespace {

// Damaged inputs of every kind end in a reported failure or a clean run, never
// in a crash (the sanitizer build turns any bad access into a crash).
TEST(Robustness, MutatedCataloguesAndSymbolFiles) {
  const std::string catalogue = ReadFileBytes(std::filesystem::path(QOKIT_SOURCE_DIR) / "examples/messages/client.msg");
  ASSERT_FALSE(catalogue.empty());
  std::mt19937 rng(11);
  for (int round = 0; round < 24; ++round) {
    TempDir dir;
    std::string source = catalogue;
    for (int edits = 1 + static_cast<int>(rng() % 6); edits > 0; --edits) {
      const size_t at = rng() % source.size();
      switch (rng() % 4) {
        case 0: source[at] = static_cast<char>(rng()); break;
        case 1: source.erase(at, rng() % 40); break;
        case 2: source.insert(at, std::string(rng() % 2000, static_cast<char>("@%\\\"[]/*0 "[rng() % 11]))); break;
        default: source.resize(at); break;
      }
      if (source.empty()) source.push_back('1');
    }
    dir.Write("a.msg", source);
    dir.Write("s.h", round % 2 == 0 ? "#define _MSGSYM_CHECKSUM 5\n#define _MSGSYM_TIMESTAMP\n#define A\x01 4\n"
                                    : std::string(700, '#') + "\n#define " + std::string(300, 'Q') + " 3\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"gensym", "s.h", "a.msg"},
                                                 std::vector<std::string>{"regensym", "s.h", "a.msg"},
                                                 std::vector<std::string>{"genobj", "s.h", "o.bin", "a.msg"}}) {
      const RunResult r = RunProgram(QOGENMSG_PATH, args, InDir(dir.path()));
      EXPECT_TRUE(r.status == 0 || r.status == 1 || r.status == 255) << args[0] << " round " << round << ": " << r.err;
      if (r.status != 0) {
        EXPECT_NE(r.err.find("Compile failed."), std::string::npos) << r.err;
      }
    }
  }
}

}  // namespace
