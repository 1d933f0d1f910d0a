// cpack's packages of the kit: a Debian package per install component, each
// declaring what it needs and passing lintian, and a tarball of the whole
// install that works as a prefix where it is unpacked.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "consumer_build.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Package {
  std::string file;
  std::vector<std::string> holds;  // paths below the install prefix
};

std::vector<Package> Packages() {
  const std::string version = QOKIT_VERSION, lib = QOKIT_INSTALL_LIBDIR;
  return {{"qokit_" + version + "_amd64.deb",
           {"bin/qogenmsg", "bin/vexproc", "bin/vexproc-legacy", "bin/statagent", "bin/qomsgdump", "bin/vexdump",
            "bin/qostamp", "bin/qomsgpo", "bin/qomsgcheck", "bin/qomsgsig", "share/man/man1/qogenmsg.1.gz",
            "share/man/man5/qomsg-source.5.gz", "share/doc/qokit/copyright", "share/doc/qokit/changelog.gz"}},
          {"libqomsg1_" + version + "_amd64.deb",
           {lib + "/libqomsg.so." + version, "share/doc/libqomsg1/copyright"}},
          {"libqohlp1_" + version + "_amd64.deb", {lib + "/libqohlp.so." + version}},
          {"libqokit-nls1_" + version + "_amd64.deb", {lib + "/libqokit_nls.so." + version}},
          {"libqokit-commutil1_" + version + "_amd64.deb", {lib + "/libqokit_commutil.so." + version}},
          {"libqokit-agentclient1_" + version + "_amd64.deb", {lib + "/libqokit_agentclient.so." + version}},
          {"qokit-dev_" + version + "_amd64.deb",
           {"include/qokit/qomsg.h", "include/qokit/nls/nlsstr.h", lib + "/libqomsg.a", lib + "/libqokit_agentclient.a",
            lib + "/cmake/qokit/qokitConfig.cmake", lib + "/pkgconfig/qokit.pc", "share/man/man3/qomsg.3.gz"}},
          {"qokit-doc_" + version + "_all.deb", {"share/doc/qokit-doc/README.md"}}};
}

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Exec({"/bin/sh", "-c", "command -v dpkg-deb && command -v dpkg-shlibdeps"}).status != 0)
      GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps missing (apt-get install dpkg-dev)";
    const RunResult packed =
        Exec({CPACK_PATH, "--config", QOKIT_BINARY_DIR "/CPackConfig.cmake", "-B", dir_.path().string()});
    ASSERT_EQ(packed.status, 0) << Describe(packed);
  }
  TempDir dir_;
};

TEST_F(PackageTest, DebianPackagesHoldTheirComponentsAndPassLintian) {
  const bool lintian = Exec({"/bin/sh", "-c", "command -v lintian"}).status == 0;
  for (const Package& package : Packages()) {
    SCOPED_TRACE(package.file);
    const fs::path deb = dir_ / package.file;
    ASSERT_TRUE(fs::exists(deb));
    const RunResult listing = Exec({"dpkg-deb", "-c", deb.string()});
    for (const std::string& file : package.holds)
      EXPECT_NE(listing.out.find("./usr/" + file + "\n"), std::string::npos) << file;
    // Errors and warnings fail; informational tags are allowed. CPack 3.25
    // writes an ldconfig call into the maintainer scripts of every package
    // with a library in /usr/lib, which the packages' ldconfig trigger makes
    // redundant: the one tag passed over.
    if (lintian) {
      const RunResult lint =
          Exec({"lintian", "--fail-on", "error,warning", "--suppress-tags", "maintscript-calls-ldconfig", deb.string()});
      EXPECT_EQ(lint.status, 0) << Describe(lint);
    }
  }
  // The programs carry the C++ run time; the C library is what every one needs.
  const RunResult depends = Exec({"dpkg-deb", "-f", (dir_ / Packages()[0].file).string(), "Depends"});
  EXPECT_NE(depends.out.find("libc6"), std::string::npos) << depends.out;
  // A client's package built against a library depends on that library's
  // package (its shlibs file); the development package on all of them.
  const std::string version = QOKIT_VERSION;
  const RunResult shlibs = Exec({"dpkg-deb", "-I", (dir_ / ("libqomsg1_" + version + "_amd64.deb")).string(), "shlibs"});
  EXPECT_NE(shlibs.out.find("libqomsg 1 libqomsg1 (= " + version + ")"), std::string::npos) << Describe(shlibs);
  const RunResult dev = Exec({"dpkg-deb", "-f", (dir_ / ("qokit-dev_" + version + "_amd64.deb")).string(), "Depends"});
  EXPECT_NE(dev.out.find("libqokit-agentclient1 (= " + version + ")"), std::string::npos) << dev.out;
  if (!lintian) GTEST_SKIP() << "lintian is not installed (apt-get install lintian): packages not linted";
}

// The tarball unpacks to qokit-VERSION-Linux/ with bin/, include/, lib/ at its
// top; its programs compile a catalogue and its pkg-config file points into it.
TEST_F(PackageTest, TarballIsAPrefix) {
  const std::string name = std::string("qokit-") + QOKIT_VERSION + "-Linux";
  ASSERT_EQ(Exec({"tar", "xzf", (dir_ / (name + ".tar.gz")).string(), "-C", dir_.path().string()}).status, 0);
  const fs::path prefix = dir_ / name;
  for (const Package& package : Packages())
    for (const std::string& file : package.holds) EXPECT_TRUE(fs::exists(prefix / file)) << file;

  dir_.Write("a.msg", "1 I HELLO \"Hello @1%s\"\n");
  const std::string bin = (prefix / "bin").string();
  EXPECT_EQ(Exec({bin + "/qogenmsg", "gensym", "a.h", "a.msg"}, dir_.path()).status, 0);
  EXPECT_EQ(Exec({bin + "/qogenmsg", "genobj", "a.h", "a.obj", "a.msg"}, dir_.path()).status, 0);
  const RunResult dumped = Exec({bin + "/qomsgdump", "-s", "a.h", "a.obj"}, dir_.path());
  EXPECT_EQ(dumped.status, 0) << Describe(dumped);
  EXPECT_NE(dumped.out.find("1 I HELLO \"Hello @1%s\""), std::string::npos) << dumped.out;

  const RunResult bindir = Exec({"pkg-config", "--variable=bindir", "qokit"}, {},
                                {"PKG_CONFIG_PATH=" + (prefix / QOKIT_INSTALL_LIBDIR / "pkgconfig").string()});
  ASSERT_EQ(bindir.status, 0) << Describe(bindir);
  EXPECT_EQ(fs::canonical(bindir.out.substr(0, bindir.out.find('\n'))), fs::canonical(prefix / "bin"));
}

}  // namespace
