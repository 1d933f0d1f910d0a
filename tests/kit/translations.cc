#include "translations.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "run_program.h"

namespace kittest {

namespace {

void Run(const TempDir& dir, const std::vector<std::string>& args) {
  const RunResult r = RunProgram(QOGENMSG_PATH, args, RunOptions{"", dir.path(), 60, {"LC_ALL=C"}});
  EXPECT_EQ(r.status, 0) << args[0] << " " << args[1] << ": " << r.err;
}

}  // namespace

Translations::Translations() {
  dir_.Write("base.msg", kBaseSource);
  Run(dir_, {"regensym", "base.h", "base.msg"});
  Run(dir_, {"genobj", "base.h", "base.obj", "base.msg"});
  const std::string header = dir_.Read("base.h");
  const std::size_t at = header.find("_MSGSYM_CHECKSUM");
  EXPECT_NE(at, std::string::npos);
  checksum_ = std::strtol(header.c_str() + at + 16, nullptr, 10);
}

std::filesystem::path Translations::Translate(const std::string& name, const std::string& source) const {
  dir_.Write(name + ".msg", source);
  Run(dir_, {"genobj", "base.h", name + ".obj", name + ".msg"});
  return dir_ / (name + ".obj");
}

std::filesystem::path Translations::OwnMapping(const std::string& name, const std::string& source) const {
  dir_.Write(name + ".msg", source);
  Run(dir_, {"regensym", name + ".h", name + ".msg"});
  Run(dir_, {"genobj", name + ".h", name + ".obj", name + ".msg"});
  return dir_ / (name + ".obj");
}

}  // namespace kittest
