// cpack's packages of the kit: the Debian package declares the libraries its
// programs need and holds programs, libraries, headers, CMake and pkg-config
// files and manual pages; its programs work from an unpacked copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "consumer_build.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPackagedFiles[] = {
    "usr/bin/qogenmsg", "usr/bin/vexproc", "usr/bin/vexproc-legacy", "usr/bin/statagent", "usr/bin/qomsgdump",
    "usr/bin/vexdump", "usr/bin/qostamp", "usr/bin/qomsgpo", "usr/bin/qomsgcheck", "usr/bin/qomsgsig", "usr/include/qokit/qomsg.h", "usr/include/qokit/nls/nlsstr.h",
    "usr/lib/libqomsg.a", "usr/lib/libqokit_agentclient.a", "usr/lib/libqomsg.so.1.0.0", "usr/lib/libqohlp.so.1.0.0",
    "usr/lib/cmake/qokit/qokitConfig.cmake",
    "usr/lib/pkgconfig/qokit.pc", "usr/share/man/man1/qogenmsg.1", "usr/share/man/man3/qomsg.3",
    "usr/share/man/man5/qomsg-source.5"};

TEST(Package, DebianPackageAndTarballHoldAWorkingKit) {
  if (Exec({"/bin/sh", "-c", "command -v dpkg-deb && command -v dpkg-shlibdeps"}).status != 0)
    GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps missing (apt-get install dpkg-dev)";
  TempDir dir;
  const RunResult packed =
      Exec({CPACK_PATH, "--config", QOKIT_BINARY_DIR "/CPackConfig.cmake", "-B", dir.path().string()});
  ASSERT_EQ(packed.status, 0) << Describe(packed);
  const fs::path deb = dir / "qokit_1.0.0_amd64.deb";
  const fs::path tarball = dir / "qokit-1.0.0-Linux.tar.gz";
  ASSERT_TRUE(fs::exists(deb)) << packed.out;
  ASSERT_TRUE(fs::exists(tarball)) << packed.out;

  const RunResult depends = Exec({"dpkg-deb", "-f", deb.string(), "Depends"});
  for (const char* library : {"libc6", "libstdc++6", "libgcc-s1"})
    EXPECT_NE(depends.out.find(library), std::string::npos) << depends.out;
  const RunResult listing = Exec({"dpkg-deb", "-c", deb.string()});
  const RunResult tar_listing = Exec({"tar", "tzf", tarball.string()});
  for (const char* file : kPackagedFiles) {
    EXPECT_NE(listing.out.find(std::string("./") + file + "\n"), std::string::npos) << file;
    EXPECT_NE(tar_listing.out.find(std::string(file).substr(4) + "\n"), std::string::npos) << file;
  }

  // The unpacked programs compile a catalogue and read it back.
  const fs::path root = dir / "root";
  ASSERT_EQ(Exec({"dpkg-deb", "-x", deb.string(), root.string()}).status, 0);
  const std::string bin = (root / "usr/bin").string();
  dir.Write("a.msg", "1 I HELLO \"Hello @1%s\"\n");
  EXPECT_EQ(Exec({bin + "/qogenmsg", "gensym", "a.h", "a.msg"}, dir.path()).status, 0);
  EXPECT_EQ(Exec({bin + "/qogenmsg", "genobj", "a.h", "a.obj", "a.msg"}, dir.path()).status, 0);
  const RunResult dumped = Exec({bin + "/qomsgdump", "-s", "a.h", "a.obj"}, dir.path());
  EXPECT_EQ(dumped.status, 0) << Describe(dumped);
  EXPECT_NE(dumped.out.find("1 I HELLO \"Hello @1%s\""), std::string::npos) << dumped.out;
  EXPECT_EQ(Exec({bin + "/qostamp", "--version"}).out, "qostamp (qokit) 1.0.0\n");
}

}  // namespace
