// The kit inside another project's build: a C-only parent adds a clean copy
// of the kit's tree with add_subdirectory or FetchContent, on a machine view
// without GoogleTest, and gets the kit's libraries, programs and build
// functions, but none of its tests or install rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "consumer_build.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The kit's sources as a fresh checkout has them: no build folders.
void CopyKitTree(const fs::path& to) {
  fs::create_directories(to);
  for (const auto& entry : fs::directory_iterator(QOKIT_SOURCE_DIR)) {
    const std::string name = entry.path().filename();
    if (name.rfind("build", 0) == 0 || name == ".git") continue;
    fs::copy(entry.path(), to / name, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  }
}

std::set<std::string> FilesUnder(const fs::path& root) {
  std::set<std::string> files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory()) files.insert(fs::relative(entry.path(), root).string());
  return files;
}

class Subproject : public ::testing::TestWithParam<const char*> {};

TEST_P(Subproject, COnlyParentGetsTheKitButNotItsTestsOrInstalls) {
  if (std::string(QOKIT_CONSUMER_FLAGS) != "")
    GTEST_SKIP() << "the kit is built afresh inside the parent; the plain test run covers this";
  TempDir dir;
  const fs::path kit = dir / "qokit", src = dir / "src", build = dir / "build";
  CopyKitTree(kit);
  CopyConsumer(src);
  const RunResult built = ConfigureAndBuild(
      src, build, QOKIT_GENERATOR,
      {std::string("-DCONSUMER_KIT=") + GetParam(), "-DQOKIT_SOURCE=" + kit.string(),
       "-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON"});
  ASSERT_EQ(built.status, 0) << Describe(built);
  ExpectConsumerRuns(build, "Consumer sees 3 of four.");

  const RunResult tests = Exec({CTEST_PATH, "-N"}, build);
  EXPECT_NE(tests.out.find("Total Tests: 1\n"), std::string::npos) << tests.out;
  const RunResult install = Exec({CMAKE_PATH, "--install", build.string(), "--prefix", (dir / "prefix").string()});
  ASSERT_EQ(install.status, 0) << Describe(install);
  // The consumer's own rules only: its program and its catalogue tree.
  EXPECT_EQ(FilesUnder(dir / "prefix"),
            (std::set<std::string>{"bin/consumer", "share/kit_consumer/consumer.obj",
                                   "share/kit_consumer/de/consumer.obj", "share/kit_consumer/fr/consumer.obj"}));
}

INSTANTIATE_TEST_SUITE_P(Kit, Subproject, ::testing::Values("subdirectory", "fetchcontent"));

}  // namespace
