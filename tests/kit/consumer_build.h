// Building the client project of consumer/ against the kit, for the tests of
// the kit's use from other projects.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"

// Runs args[0] with the other arguments; generous time for whole builds.
RunResult Exec(const std::vector<std::string>& args, const std::filesystem::path& workdir = {},
               std::vector<std::string> env = {});
std::string Describe(const RunResult& r);

// The CMake generators of this machine that can build the consumer.
std::vector<std::string> Generators();

// Copies the consumer project (sources, CMakeLists.txt, Makefile) to `to`.
void CopyConsumer(const std::filesystem::path& to);

// Configures `source` into `build` with the generator and the extra cache
// arguments, then builds `target`. Sanitized kits get sanitized consumers.
RunResult ConfigureAndBuild(const std::filesystem::path& source, const std::filesystem::path& build,
                            const std::string& generator, const std::vector<std::string>& extra,
                            const std::string& target = "all", std::vector<std::string> env = {});

// The consumer in `dir` prints `first_line` first and the rest as always
// (run with the environment `env` added).
void ExpectConsumerRuns(const std::filesystem::path& dir, const std::string& first_line,
                        std::vector<std::string> env = {});
