// The README's walk-throughs, run as they stand in a fresh copy of the
// source tree: "Adding a language" brings German into examples/translate,
// "Moving a project from gettext" a gettext project's French PO file. Then
// what the build does with a translation that does not fit: it fails and
// leaves no catalogue of that language, or with KEEP_GOING uses the base
// text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "consumer_build.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The sh block that follows `heading` in the README.
std::string Walkthrough(const std::string& readme, const std::string& heading) {
  const std::size_t at = readme.find(heading);
  const std::size_t begin = readme.find("```sh\n", at);
  const std::size_t end = readme.find("```\n", begin + 6);
  if (at == std::string::npos || begin == std::string::npos || end == std::string::npos) return {};
  return readme.substr(begin + 6, end - begin - 6);
}

// A clean clone: the source tree without build folders, the example copied
// so that the walk-through's files land in the copy.
fs::path CleanClone(const TempDir& dir) {
  const fs::path source = QOKIT_SOURCE_DIR;
  const fs::path clone = dir / "qokit";
  fs::create_directories(clone / "examples");
  for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("build", 0) == 0 || name == ".git" || name == "examples") continue;
    fs::create_directory_symlink(entry.path(), clone / name);
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(source / "examples")) {
    if (entry.path().filename() == "translate") continue;
    fs::create_directory_symlink(entry.path(), clone / "examples" / entry.path().filename());
  }
  fs::copy(source / "examples/translate", clone / "examples/translate", fs::copy_options::recursive);
  fs::remove_all(clone / "examples/translate/build");
  return clone;
}

// Runs a script with sh -e; what it wrote to either stream is in `out`.
RunResult Shell(const std::string& script, const fs::path& where) {
  RunResult r = Exec({"/bin/sh", "-e", "-c", script}, where, {"LC_ALL=C.UTF-8"});
  r.out += r.err;
  return r;
}

TEST(Readme, WalkthroughsWorkAsWritten) {
  const std::string readme = ReadFileBytes(fs::path(QOKIT_SOURCE_DIR) / "README.md");
  const std::string adding = Walkthrough(readme, "### Adding a language");
  const std::string gettext = Walkthrough(readme, "### Moving a project from gettext");
  ASSERT_FALSE(adding.empty());
  ASSERT_FALSE(gettext.empty());
  TempDir dir;
  const fs::path clone = CleanClone(dir);
  const fs::path example = clone / "examples/translate";

  RunResult r = Shell(adding, clone);
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_NE(r.out.find("12 Dateien in /backup gesichert.\nKein Platz mehr auf /dev/sdb1.\n"
                       "notes.txt ersetzen? (j/n) \n/home: 3 Dateien übersprungen.\n"),
            std::string::npos)
      << Describe(r);
  // The template names the sources as the source tree has them.
  const std::string pot = ReadFileBytes(example / "build/app.pot");
  EXPECT_NE(pot.find("\n#: app.msg:2\n"), std::string::npos) << pot;
  EXPECT_EQ(pot.find(clone.string()), std::string::npos) << pot;

  r = Shell(gettext, clone);
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_NE(r.out.find("3 translated, 1 untranslated, 0 fuzzy, 0 not expressible, 0 refused, 1 dropped"),
            std::string::npos)
      << Describe(r);
  EXPECT_NE(r.out.find("12 fichiers sauvegardés dans /backup.\nPlus de place sur /dev/sdb1.\n"), std::string::npos)
      << Describe(r);

  // A German translation that takes a string where the base has a number:
  // the build fails at its PO line and the German catalogue is gone.
  const fs::path german = example / "build/app_msgs-catalogues/de/app.obj";
  ASSERT_TRUE(fs::exists(german));
  std::string po = ReadFileBytes(example / "po/de.po");
  const std::size_t at = po.find("msgstr \"%d Dateien");
  ASSERT_NE(at, std::string::npos) << po;
  po.replace(at, 10, "msgstr \"%s");
  dir.Write("qokit/examples/translate/po/de.po", po);
  r = Shell("cmake --build build", example);
  EXPECT_NE(r.status, 0) << Describe(r);
  EXPECT_NE(r.out.find("po/de.po:"), std::string::npos) << Describe(r);
  EXPECT_NE(r.out.find(": error: APP_SAVED: the translation does not fit the original"), std::string::npos)
      << Describe(r);
  EXPECT_FALSE(fs::exists(german));

  // With KEEP_GOING the language is built, the refused text in English.
  std::string lists = ReadFileBytes(example / "CMakeLists.txt");
  lists.replace(lists.find("PO_DIR po)"), 10, "PO_DIR po KEEP_GOING)");
  dir.Write("qokit/examples/translate/CMakeLists.txt", lists);
  r = Shell("cmake --build build && LANGUAGE=de build/app build/app_msgs-catalogues", example);
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_NE(r.out.find("warning: APP_SAVED: the translation does not fit the original"), std::string::npos)
      << Describe(r);
  EXPECT_NE(r.out.find("1 refused"), std::string::npos) << Describe(r);
  EXPECT_NE(r.out.find("12 files saved to /backup.\nKein Platz mehr auf /dev/sdb1.\n"), std::string::npos)
      << Describe(r);
}

}  // namespace
