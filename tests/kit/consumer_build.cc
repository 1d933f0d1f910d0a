#include "consumer_build.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

// A bare program name is looked up on PATH, as a shell would.
fs::path OnPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  for (std::size_t at = 0; at <= dirs.size();) {
    std::size_t end = dirs.find(':', at);
    if (end == std::string::npos) end = dirs.size();
    const fs::path candidate = fs::path(dirs.substr(at, end - at)) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    at = end + 1;
  }
  return name;
}

}  // namespace

RunResult Exec(const std::vector<std::string>& args, const fs::path& workdir, std::vector<std::string> env) {
  return RunProgram(OnPath(args[0]), std::vector<std::string>(args.begin() + 1, args.end()),
                    RunOptions{"", workdir, 600, std::move(env)});
}

std::string Describe(const RunResult& r) { return "status " + std::to_string(r.status) + "\n" + r.out + r.err; }

std::vector<std::string> Generators() {
  std::vector<std::string> generators = {"Unix Makefiles"};
  if (Exec({"/bin/sh", "-c", "command -v ninja"}).status == 0) generators.push_back("Ninja");
  return generators;
}

void CopyConsumer(const fs::path& to) {
  fs::create_directories(to);
  fs::copy(QOKIT_SOURCE_DIR "/tests/kit/consumer", to,
           fs::copy_options::overwrite_existing | fs::copy_options::recursive);
}

RunResult ConfigureAndBuild(const fs::path& source, const fs::path& build, const std::string& generator,
                            const std::vector<std::string>& extra, const std::string& target,
                            std::vector<std::string> env) {
  std::vector<std::string> configure = {CMAKE_PATH, "-S", source.string(), "-B", build.string(), "-G", generator,
                                        "-DCMAKE_C_FLAGS=" QOKIT_CONSUMER_FLAGS,
                                        "-DCMAKE_EXE_LINKER_FLAGS=" QOKIT_CONSUMER_FLAGS};
  configure.insert(configure.end(), extra.begin(), extra.end());
  const RunResult c = Exec(configure, {}, env);
  if (c.status != 0) return c;
  return Exec({CMAKE_PATH, "--build", build.string(), "--target", target}, {}, std::move(env));
}

void ExpectConsumerRuns(const fs::path& dir, const std::string& first_line, std::vector<std::string> env) {
  const RunResult run = Exec({(dir / "consumer").string(), (dir / "consumer.obj").string(),
                              (dir / "consumer.hlp").string()},
                             {}, std::move(env));
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_EQ(run.out, first_line + "\ntwo before 1\n[Start]\nGetting started\nFirst line of the section.\n");
}
