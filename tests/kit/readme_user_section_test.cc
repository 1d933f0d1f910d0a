// The README as a new user reads it: its user section run word for word on a
// clean copy of the tree (the files git tracks) on a machine without
// GoogleTest, then its plain Makefile recipe against the kit that installed,
// with make -j4.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "consumer_build.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadmeText() { return ReadFileBytes(fs::path(QOKIT_SOURCE_DIR) / "README.md"); }

// The first indented command block after `heading`.
std::vector<std::string> CommandsUnder(const std::string& readme, const std::string& heading) {
  std::vector<std::string> commands;
  std::istringstream lines(readme.substr(readme.find(heading)));
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("    ")) {
      commands.push_back(line.substr(4));
    } else if (!commands.empty()) {
      break;
    }
  }
  return commands;
}

// The files git tracks, as they are in the working tree; the whole tree when
// it is no git checkout.
void CopyCleanTree(const fs::path& to) {
  const RunResult listed = Exec({"git", "-C", QOKIT_SOURCE_DIR, "ls-files", "-z"});
  if (listed.status != 0) {
    for (const auto& entry : fs::directory_iterator(QOKIT_SOURCE_DIR))
      if (!entry.path().filename().string().starts_with("build"))
        fs::copy(entry.path(), to / entry.path().filename(), fs::copy_options::recursive);
    return;
  }
  for (std::size_t at = 0; at < listed.out.size();) {
    const std::size_t end = listed.out.find('\0', at);
    const fs::path file = listed.out.substr(at, end - at);
    at = end + 1;
    if (!fs::exists(fs::path(QOKIT_SOURCE_DIR) / file)) continue;  // deleted, not yet committed
    fs::create_directories((to / file).parent_path());
    fs::copy(fs::path(QOKIT_SOURCE_DIR) / file, to / file);
  }
}

struct Step {
  std::string command;
  RunResult result;
};

// Runs the user section's commands in a clean copy of the tree at `source`,
// installing into `prefix` instead of /usr/local.
std::vector<Step> FollowUserSection(const fs::path& source, const fs::path& prefix) {
  CopyCleanTree(source);
  std::vector<Step> steps;
  for (std::string command : CommandsUnder(ReadmeText(), "## Build and install it as a user")) {
    command = std::regex_replace(command, std::regex("/usr/local"), prefix.string());
    // The machine of a user who never installed GoogleTest.
    if (command.starts_with("cmake -S")) command += " -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON";
    steps.push_back({command, Exec({"/bin/sh", "-c", command}, source)});
  }
  return steps;
}

// The recipe runs the tools once per change of the source, with make -j4; a
// text-only edit reruns them once and rebuilds no user of the headers; an idle
// make does nothing; a deleted header is made again.
void ExpectMakefileRecipeWorks(const fs::path& prefix) {
  // The user's build chose its own library folder (lib, or the multiarch one).
  fs::path pkgconfig;
  for (const auto& entry : fs::recursive_directory_iterator(prefix / "lib"))
    if (entry.path().filename() == "qokit.pc") pkgconfig = entry.path().parent_path();
  ASSERT_FALSE(pkgconfig.empty()) << "no qokit.pc installed";
  const std::string readme = ReadmeText();
  std::smatch recipe;
  ASSERT_TRUE(std::regex_search(readme, recipe, std::regex("```make\n([^`]*)```"))) << "no make block in the README";
  TempDir app;
  app.Write("Makefile", recipe[1].str());
  app.Write("app.msg", "1 I HELLO \"Hello @1%s\"\n2 E BYE \"Bye\"\n");
  app.Write("app.c",
            "#include <stdio.h>\n#include \"app_msgs_sig.h\"\n"
            "int main(void) { printf(\"%d %d\\n\", HELLO, app_msgs_signature_count); return 0; }\n");
  const std::vector<std::string> env = {"PKG_CONFIG_PATH=" + pkgconfig.string()};
  // The client finds the kit's shared libraries, where it links them, in the prefix.
  const auto run_app = [&] {
    return Exec({(app / "app").string()}, {}, {"LD_LIBRARY_PATH=" + pkgconfig.parent_path().string()}).out;
  };
  const auto make = [&] { return Exec({"make", "-j4"}, app.path(), env); };
  const auto tool_runs = [](const RunResult& r) {
    std::size_t runs = 0;
    for (std::size_t at = 0; (at = r.out.find("qogenmsg genobj", at)) != std::string::npos; ++at) ++runs;
    return runs;
  };

  RunResult r = make();
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(tool_runs(r), 1u) << r.out;
  EXPECT_EQ(run_app(), "1 2\n");
  r = make();
  EXPECT_EQ(tool_runs(r), 0u) << "an idle make ran the tools\n" << r.out;

  const auto header = fs::last_write_time(app / "app_msgs.h");
  const auto client = fs::last_write_time(app / "app");
  const std::string object = app.Read("app.obj");
  app.Write("app.msg", "1 I HELLO \"Hello again, @1%s\"\n2 E BYE \"Bye\"\n");
  r = make();
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(tool_runs(r), 1u) << r.out;
  EXPECT_NE(app.Read("app.obj"), object);
  EXPECT_EQ(fs::last_write_time(app / "app_msgs.h"), header);
  EXPECT_EQ(fs::last_write_time(app / "app"), client) << "the client was rebuilt for a text\n" << r.out;
  r = make();
  EXPECT_EQ(tool_runs(r), 0u) << "the text edit reran the tools again\n" << r.out;

  fs::remove(app / "app_msgs.h");
  r = make();
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(tool_runs(r), 1u) << r.out;
  EXPECT_TRUE(fs::exists(app / "app_msgs.h"));
  app.Write("app.msg", "1 I HELLO \"Hello @1%s\"\n2 E BYE \"Bye\"\n3 I NEW \"New\"\n");
  r = make();
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(run_app(), "1 3\n") << "a new message reaches the client";
}

// One test, since both parts need the one slow build of the kit.
TEST(ReadmeUserSection, WithoutGoogleTestThenTheMakefileRecipe) {
  TempDir dir;
  const fs::path source = dir / "src", prefix = dir / "prefix";
  const std::vector<Step> steps = FollowUserSection(source, prefix);
  ASSERT_EQ(steps.size(), 3u) << "the user section names configure, build and install";
  for (const Step& step : steps) ASSERT_EQ(step.result.status, 0) << step.command << "\n" << Describe(step.result);
  const std::string configure = steps.front().result.out + steps.front().result.err;
  const std::string notice = "GoogleTest was not found, so the tests are not built";
  ASSERT_NE(configure.find(notice), std::string::npos) << configure;
  EXPECT_EQ(configure.find(notice), configure.rfind(notice)) << "one notice";
  EXPECT_FALSE(fs::exists(source / "build/tests"));
  for (const char* program : {"qogenmsg", "vexproc", "vexproc-legacy", "qomsgcheck", "qomsgpo", "qomsgsig",
                              "qomsgdump", "vexdump", "qostamp", "statagent"})
    EXPECT_TRUE(fs::exists(prefix / "bin" / program)) << program;
  EXPECT_EQ(Exec({(prefix / "bin/qogenmsg").string(), "--version"}).out, "qogenmsg (qokit) " QOKIT_VERSION "\n");

  ExpectMakefileRecipeWorks(prefix);
}

}  // namespace
