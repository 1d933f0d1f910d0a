// Installs the kit into a temporary prefix and builds a C client project
// against it with find_package, qokit_add_messages and qokit_add_help.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

RunResult Exec(const std::vector<std::string>& args, const fs::path& workdir = {},
              std::vector<std::string> env = {}) {
  return RunProgram(args[0], std::vector<std::string>(args.begin() + 1, args.end()),
                    RunOptions{"", workdir, 300, std::move(env)});
}

std::string Describe(const RunResult& r) { return "status " + std::to_string(r.status) + "\n" + r.out + r.err; }

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = dir_ / "prefix";
    const RunResult install = Exec({CMAKE_PATH, "--install", QOKIT_BINARY_DIR, "--prefix", prefix_.string()});
    ASSERT_EQ(install.status, 0) << Describe(install);
  }

  // Copies the consumer project to src/ and configures and builds it in `build`.
  RunResult Build(const fs::path& build, const std::vector<std::string>& extra = {},
                  const std::string& target = "all") {
    fs::copy(QOKIT_SOURCE_DIR "/tests/kit/consumer", src_, fs::copy_options::overwrite_existing | fs::copy_options::recursive);
    std::vector<std::string> configure = {CMAKE_PATH, "-S", src_.string(),
                                          "-B", build.string(), "-G", QOKIT_GENERATOR,
                                          "-DCMAKE_PREFIX_PATH=" + prefix_.string(),
                                          "-DCMAKE_C_FLAGS=" QOKIT_CONSUMER_FLAGS,
                                          "-DCMAKE_EXE_LINKER_FLAGS=" QOKIT_CONSUMER_FLAGS};
    configure.insert(configure.end(), extra.begin(), extra.end());
    const RunResult c = Exec(configure);
    if (c.status != 0) return c;
    return Exec({CMAKE_PATH, "--build", build.string(), "--target", target});
  }

  TempDir dir_;
  fs::path prefix_;
  fs::path src_ = dir_ / "src";
};

TEST_F(InstallTest, InstallsProgramsLibrariesHeadersAndManPages) {
  for (const char* file :
       {"bin/qogenmsg", "bin/vexproc", "bin/vexproc-legacy", "bin/statagent", "bin/qomsgdump",
        "bin/vexdump", "include/qokit/qomsg.h", "include/qokit/qohlp.h", "include/qokit/nls/nlsstr.h",
        "include/qokit/unx/qonls.h", "include/qokit/unx/psstr.h", "include/qokit/unx/commutil.h",
        "include/qokit/agent_segment.h", "include/qokit/agent_client.h", "lib/libqomsg.a",
        "lib/libqohlp.a", "lib/libqokit_nls.a", "lib/libqokit_commutil.a",
        "lib/cmake/qokit/qokitConfig.cmake", "lib/pkgconfig/qokit.pc", "share/man/man1/qogenmsg.1",
        "share/man/man1/qomsgdump.1", "share/man/man5/qomsg-object.5", "share/man/man5/qohelp.5"})
    EXPECT_TRUE(fs::exists(prefix_ / file)) << file;
}

TEST_F(InstallTest, ConsumerProjectBuildsAndReadsItsFiles) {
  const fs::path build = dir_ / "build";
  const RunResult built = Build(build);
  ASSERT_EQ(built.status, 0) << Describe(built);
  const RunResult run = Exec({(build / "consumer").string(), (build / "consumer.obj").string(),
                             (build / "consumer.hlp").string()});
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_EQ(run.out,
            "Consumer sees 3 of four.\ntwo before 1\n[Start]\nGetting started\n"
            "First line of the section.\n");
  const RunResult legacy = Exec({(prefix_ / "bin/vexdump").string(), "--legacy",
                                 (build / "consumer_legacy.hlp").string()});
  EXPECT_EQ(legacy.status, 0) << Describe(legacy);
  EXPECT_NE(legacy.out.find("|\nLegacy text wrapped line.\n|"), std::string::npos) << legacy.out;

  // A changed text with an unchanged symbol mapping rebuilds the object file
  // but leaves the header alone, so the client is not recompiled.
  const auto header_time = fs::last_write_time(build / "consumer_msgs.h");
  const auto client_time = fs::last_write_time(build / "consumer");
  const auto object_time = fs::last_write_time(build / "consumer.obj");
  const RunResult idle = Exec({CMAKE_PATH, "--build", build.string()});
  ASSERT_EQ(idle.status, 0) << Describe(idle);
  EXPECT_EQ(fs::last_write_time(build / "consumer.obj"), object_time) << "an idle build recompiled";
  dir_.Write("src/consumer.msg",
             "1 I CONSUMER_HELLO \"Now @1%d of @2%s.\"\n2 E CONSUMER_SWAPPED \"@2%s before @1%d\"\n");
  const RunResult again = Exec({CMAKE_PATH, "--build", build.string()});
  ASSERT_EQ(again.status, 0) << Describe(again);
  EXPECT_EQ(fs::last_write_time(build / "consumer_msgs.h"), header_time);
  EXPECT_EQ(fs::last_write_time(build / "consumer"), client_time);
  const RunResult rerun = Exec({(build / "consumer").string(), (build / "consumer.obj").string(),
                               (build / "consumer.hlp").string()});
  EXPECT_EQ(rerun.out.substr(0, rerun.out.find('\n')), "Now 3 of four.");
}

TEST_F(InstallTest, HelpWithErrorsFailsTheBuildAndLeavesNoOutput) {
  const fs::path build = dir_ / "bad";
  const RunResult built = Build(build, {"-DCONSUMER_BAD_HELP=ON"}, "consumer_help");
  EXPECT_NE(built.status, 0);
  EXPECT_NE((built.out + built.err).find("Link number 99999"), std::string::npos)
      << Describe(built);
  EXPECT_FALSE(fs::exists(build / "consumer.hlp"));
}

TEST_F(InstallTest, PkgConfigFileCompilesAClient) {
  const std::string env = "PKG_CONFIG_PATH=" + (prefix_ / "lib/pkgconfig").string();
  const fs::path program = dir_ / "pc_client";
  const std::string compile = std::string("cc " QOKIT_CONSUMER_FLAGS " -o ") + program.string() + " " +
                              QOKIT_SOURCE_DIR "/examples/kit/show.c $(pkg-config --cflags --libs qokit)";
  const RunResult built = Exec({"/bin/sh", "-c", compile}, {}, {env});
  ASSERT_EQ(built.status, 0) << Describe(built);
  const RunResult run = Exec({program.string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "usage: kit-example OBJFILE HELPFILE\n");
}

}  // namespace
