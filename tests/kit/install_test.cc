// Installs the kit into a temporary prefix and builds the C client project of
// consumer/ against it: with find_package and each CMake generator, with
// pkg-config and a plain Makefile, and reproducibly with SOURCE_DATE_EPOCH.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "consumer_build.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = dir_ / "prefix";
    const RunResult install = Exec({CMAKE_PATH, "--install", QOKIT_BINARY_DIR, "--prefix", prefix_.string()});
    ASSERT_EQ(install.status, 0) << Describe(install);
    CopyConsumer(src_);
  }

  RunResult Build(const fs::path& build, const std::string& generator, std::vector<std::string> extra = {},
                  const std::string& target = "all", std::vector<std::string> env = {}) {
    extra.push_back("-DCMAKE_PREFIX_PATH=" + prefix_.string());
    return ConfigureAndBuild(src_, build, generator, extra, target, std::move(env));
  }

  TempDir dir_;
  fs::path prefix_;
  fs::path src_ = dir_ / "src";
};

// The components together make the whole install; each holds its own part
// and nothing of the others.
TEST_F(InstallTest, ComponentsHoldProgramsDevelopmentFilesAndDocumentation) {
  const std::string lib = QOKIT_INSTALL_LIBDIR;
  const struct {
    const char* component;
    std::vector<std::string> files;
  } components[] = {
      {"Runtime",
       {"bin/qogenmsg", "bin/vexproc", "bin/vexproc-legacy", "bin/statagent", "bin/qomsgdump", "bin/vexdump",
        "bin/qostamp", "bin/qomsgpo", "bin/qomsgcheck", "bin/qomsgsig", "share/man/man1/qogenmsg.1.gz",
        "share/man/man1/qomsgdump.1.gz", "share/man/man1/qomsgcheck.1.gz", "share/man/man5/qomsg-object.5.gz",
        "share/man/man5/qohelp.5.gz", "share/doc/qokit/copyright", "share/doc/qokit/changelog.gz"}},
      {"libqomsg1", {lib + "/libqomsg.so.1", "share/doc/libqomsg1/copyright"}},
      {"libqohlp1", {lib + "/libqohlp.so.1"}},
      {"libqokit-nls1", {lib + "/libqokit_nls.so.1"}},
      {"libqokit-commutil1", {lib + "/libqokit_commutil.so.1"}},
      {"libqokit-agentclient1", {lib + "/libqokit_agentclient.so.1"}},
      {"Development",
       {"include/qokit/qomsg.h", "include/qokit/qohlp.h", "include/qokit/nls/nlsstr.h", "include/qokit/unx/qonls.h",
        "include/qokit/unx/psstr.h", "include/qokit/unx/commutil.h", "include/qokit/qoagent_segment.h",
        "include/qokit/qoagent.h", lib + "/libqomsg.a", lib + "/libqohlp.a",
        lib + "/libqokit_nls.a", lib + "/libqokit_commutil.a", lib + "/libqokit_agentclient.a", lib + "/libqomsg.so",
        lib + "/libqohlp.so", lib + "/cmake/qokit/qokitConfig.cmake", lib + "/pkgconfig/qokit.pc", "share/man/man3/qomsg.3.gz",
        "share/man/man3/qohlp.3.gz", "share/man/man3/qoagent.3.gz", "share/doc/qokit-dev/copyright"}},
      {"Documentation", {"share/doc/qokit-doc/README.md", "share/doc/qokit-doc/examples/kit/show.c"}},
  };
  for (const auto& c : components) {
    SCOPED_TRACE(c.component);
    const fs::path alone = dir_ / c.component;
    const RunResult install =
        Exec({CMAKE_PATH, "--install", QOKIT_BINARY_DIR, "--component", c.component, "--prefix", alone.string()});
    ASSERT_EQ(install.status, 0) << Describe(install);
    for (const auto& other : components) {
      for (const std::string& file : other.files) {
        // A link name (libqomsg.so) is there even when what it names is not.
        EXPECT_EQ(fs::exists(fs::symlink_status(alone / file)), &other == &c) << file;
        EXPECT_TRUE(fs::exists(prefix_ / file)) << file;
      }
    }
  }
  // Consumers put include/ on their path: only the prefix folder is there.
  std::set<std::string> top;
  for (const auto& entry : fs::directory_iterator(prefix_ / "include")) top.insert(entry.path().filename());
  EXPECT_EQ(top, std::set<std::string>{"qokit"});
}

// Every generator: an idle build does nothing, a changed text with an
// unchanged mapping leaves the header and the client alone, and a deleted
// header is made again.
TEST_F(InstallTest, ConsumerBuildsWithEveryGenerator) {
  for (const std::string& generator : Generators()) {
    SCOPED_TRACE(generator);
    const fs::path build = dir_ / ("build-" + generator.substr(0, generator.find(' ')));
    CopyConsumer(src_);
    const RunResult built = Build(build, generator);
    ASSERT_EQ(built.status, 0) << Describe(built);
    ExpectConsumerRuns(build, "Consumer sees 3 of four.");
    const RunResult legacy =
        Exec({(prefix_ / "bin/vexdump").string(), "--legacy", (build / "consumer_legacy.hlp").string()});
    EXPECT_EQ(legacy.status, 0) << Describe(legacy);
    EXPECT_NE(legacy.out.find("|\nLegacy text wrapped line.\n|"), std::string::npos) << legacy.out;

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
    ExpectConsumerRuns(build, "Now 3 of four.");

    fs::remove(build / "consumer_msgs.h");
    const RunResult remade = Exec({CMAKE_PATH, "--build", build.string()});
    ASSERT_EQ(remade.status, 0) << Describe(remade);
    EXPECT_TRUE(fs::exists(build / "consumer_msgs.h"));
    ExpectConsumerRuns(build, "Now 3 of four.");
  }
}

TEST_F(InstallTest, HelpWithErrorsFailsTheBuildAndLeavesNoOutput) {
  const fs::path build = dir_ / "bad";
  const RunResult built = Build(build, QOKIT_GENERATOR, {"-DCONSUMER_BAD_HELP=ON"}, "consumer_help");
  EXPECT_NE(built.status, 0);
  // The lint finds it before the compiler runs, and names file, line and column.
  EXPECT_NE((built.out + built.err).find("consumer_bad_help.txt:2:3: error: link number 99999 is outside"), std::string::npos)
      << Describe(built);
  EXPECT_FALSE(fs::exists(build / "consumer.hlp"));
}

// Translations: a PO file and a message source each become a catalogue of the
// installed tree; a translation whose inserts differ from the base fails the
// build with a diagnostic naming file, line and symbol, and mending it (with a
// base text that gained inserts) builds, with _MAX_INSERTS raised.
TEST_F(InstallTest, TranslationsInstallAndABadOneFailsTheBuild) {
  const fs::path good = dir_ / "good";
  const RunResult built = Build(good, QOKIT_GENERATOR);
  ASSERT_EQ(built.status, 0) << Describe(built);
  const RunResult install = Exec({CMAKE_PATH, "--install", good.string(), "--prefix", (dir_ / "inst").string()});
  ASSERT_EQ(install.status, 0) << Describe(install);
  const fs::path tree = dir_ / "inst/share/kit_consumer";
  const struct {
    const char* file;
    const char* text;
  } catalogues[] = {{"consumer.obj", "\"Consumer sees @1%d of @2%s.\""},
                    {"de/consumer.obj", "\"Der Client sieht @1%d von @2%s.\""},
                    {"fr/consumer.obj", "\"Le client voit @1%d sur @2%s.\""}};
  for (const auto& c : catalogues) {
    const RunResult dump = Exec({(prefix_ / "bin/qomsgdump").string(), (tree / c.file).string()});
    ASSERT_EQ(dump.status, 0) << c.file << Describe(dump);
    EXPECT_NE(dump.out.find(c.text), std::string::npos) << c.file << "\n" << dump.out;
  }

  const fs::path bad = dir_ / "bad-translation";
  const RunResult refused = Build(bad, QOKIT_GENERATOR, {"-DCONSUMER_BAD_TRANSLATION=ON"});
  EXPECT_NE(refused.status, 0);
  const std::string log = refused.out + refused.err;
  EXPECT_NE(log.find("translations-bad/fr.msg:3: error: CONSUMER_HELLO: "), std::string::npos) << log;
  EXPECT_EQ(log.find("Hit enter"), std::string::npos) << log;
  EXPECT_FALSE(fs::exists(bad / "consumer_messages-catalogues/fr/consumer.obj"));

  // The value of the header's _MAX_INSERTS line (its last word).
  const auto max_inserts = [&] {
    const std::string header = ReadFileBytes(bad / "consumer_msgs.h");
    const size_t at = header.find("#define _MAX_INSERTS ");
    if (at == std::string::npos) return std::string();
    const std::string line = header.substr(at, header.find('\n', at) - at);
    return line.substr(line.find_last_of(' ') + 1);
  };
  EXPECT_EQ(max_inserts(), "2");
  dir_.Write("src/consumer_more.msg", "3 W CONSUMER_THIRD \"@1%s, @2%s and @3%s.\"\n");
  dir_.Write("src/translations-bad/fr.msg",
             "1 I CONSUMER_HELLO \"Le client voit @1%d sur @2%s.\"\n2 E CONSUMER_SWAPPED \"@1%d avant @2%s\"\n"
             "3 W CONSUMER_THIRD \"@1%s, @2%s et @3%s.\"\n");
  const RunResult mended = Exec({CMAKE_PATH, "--build", bad.string()});
  ASSERT_EQ(mended.status, 0) << Describe(mended);
  EXPECT_EQ(max_inserts(), "3");
  EXPECT_TRUE(fs::exists(bad / "consumer_messages-catalogues/fr/consumer.obj"));
}

// pkg-config alone: the flags from the .pc file, the compilers from its bindir.
TEST_F(InstallTest, PkgConfigAndAPlainMakefileBuildAClient) {
  const fs::path pkgconfig = prefix_ / QOKIT_INSTALL_LIBDIR / "pkgconfig";
  const std::string env = "PKG_CONFIG_PATH=" + pkgconfig.string();
  const RunResult bindir = Exec({"pkg-config", "--variable=bindir", "qokit"}, {}, {env});
  ASSERT_EQ(bindir.status, 0) << Describe(bindir);
  EXPECT_EQ(fs::canonical(bindir.out.substr(0, bindir.out.find('\n'))), fs::canonical(prefix_ / "bin"));
  const RunResult cflags = Exec({"pkg-config", "--cflags", "qokit"}, {}, {env});
  EXPECT_EQ(fs::canonical(cflags.out.substr(2, cflags.out.find(' ') - 2)), fs::canonical(prefix_ / "include"))
      << cflags.out;

  const RunResult built = Exec({"make", "-C", src_.string(), "CFLAGS=" QOKIT_CONSUMER_FLAGS,
                                "LDFLAGS=" QOKIT_CONSUMER_FLAGS}, {}, {env});
  ASSERT_EQ(built.status, 0) << Describe(built);
  // The linker takes the shared libraries, which the prefix holds outside
  // the loader's path.
  ExpectConsumerRuns(src_, "Consumer sees 3 of four.",
                     {"LD_LIBRARY_PATH=" + (prefix_ / QOKIT_INSTALL_LIBDIR).string()});
}

// qokit::qomsg and the other library targets are the shared libraries when
// the consumer sets BUILD_SHARED_LIBS, the archives otherwise.
TEST_F(InstallTest, BuildSharedLibsChoosesTheSharedLibraries) {
  for (const bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "shared" : "static");
    const fs::path build = dir_ / (shared ? "shared" : "static");
    const RunResult built =
        Build(build, QOKIT_GENERATOR, {shared ? "-DBUILD_SHARED_LIBS=ON" : "-DBUILD_SHARED_LIBS=OFF"});
    ASSERT_EQ(built.status, 0) << Describe(built);
    const RunResult dynamic = Exec({"readelf", "-d", (build / "consumer").string()});
    EXPECT_EQ(dynamic.out.find("[libqomsg.so.1]") != std::string::npos, shared) << dynamic.out;
    EXPECT_EQ(dynamic.out.find("[libqohlp.so.1]") != std::string::npos, shared) << dynamic.out;
    ExpectConsumerRuns(build, "Consumer sees 3 of four.");
  }
}

// SOURCE_DATE_EPOCH fixes the compile time: two builds in different folders
// give the same bytes. Without it the time is the clock's, as before.
TEST_F(InstallTest, SourceDateEpochMakesBuildsReproducible) {
  const std::string epoch = "SOURCE_DATE_EPOCH=1700000000";
  const fs::path first = dir_ / "first", second = dir_ / "second", plain = dir_ / "plain";
  for (const fs::path& build : {first, second}) {
    const RunResult built = Build(build, QOKIT_GENERATOR, {}, "all", {epoch});
    ASSERT_EQ(built.status, 0) << Describe(built);
  }
  for (const char* file : {"consumer_msgs.h", "consumer.obj"}) {
    SCOPED_TRACE(file);
    const std::string bytes = ReadFileBytes(first / file);
    EXPECT_NE(bytes.find("Tue Nov 14 22:13:20 2023"), std::string::npos);
    EXPECT_EQ(bytes, ReadFileBytes(second / file));
  }
  const RunResult built = Build(plain, QOKIT_GENERATOR, {}, "all", {"SOURCE_DATE_EPOCH=soon"});
  EXPECT_NE(built.status, 0) << "a malformed SOURCE_DATE_EPOCH fails the build";
  EXPECT_NE((built.out + built.err).find("SOURCE_DATE_EPOCH \"soon\" is not a time"), std::string::npos)
      << Describe(built);

  const RunResult unset = Exec({"/usr/bin/env", "-u", "SOURCE_DATE_EPOCH", CMAKE_PATH, "--build", plain.string()});
  ASSERT_EQ(unset.status, 0) << Describe(unset);
  EXPECT_EQ(ReadFileBytes(plain / "consumer.obj").find("2023"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(plain / "consumer_msgs.h").find("2023"), std::string::npos);
}

}  // namespace
