// Golden-file end-to-end cases: each folder under cases/ holds its inputs, its
// command lines and the expected results side by side, and this one runner
// checks them all through the real programs.
//
//   cmd                    one command per line: a program of the kit and its
//                          arguments (blank-separated; '...' keeps blanks)
//   in/                    files copied into the run's working directory
//   expected/stdout        standard output of all commands, in order
//   expected/stderr        standard error of all commands, in order
//   expected/status        each command's exit status, one per line
//   expected/files/NAME    an output file, byte for byte
//   expected/files/NAME.hex  a binary output file as a hex dump
//
// Afterwards the working directory must hold the files of in/ and of
// expected/files/ and nothing else, so a case shows too that a run leaves no
// stray or temporary file (a failed compile, for one, writes nothing). Compile
// times in outputs are fixed with a qostamp command in cmd. Standard input is
// empty. QOKIT_UPDATE_GOLDEN=1 writes the results of a run
// into expected/ instead of comparing, for writing new cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(QOKIT_SOURCE_DIR) / "tests" / "e2e" / "cases";

const std::map<std::string, std::string>& Programs() {
  static const std::map<std::string, std::string> programs = {
      {"qogenmsg", QOGENMSG_PATH},   {"qomsgcheck", QOMSGCHECK_PATH}, {"vexproc", VEXPROC_PATH},
      {"vexproc-legacy", VEXPROC_LEGACY_PATH}, {"qomsgdump", QOMSGDUMP_PATH}, {"vexdump", VEXDUMP_PATH},
      {"qostamp", QOSTAMP_PATH},     {"qomsgpo", QOMSGPO_PATH},   {"qomsgsig", QOMSGSIG_PATH}};
  return programs;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (const char c : line) {
    if (c == '\'') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

// 16 bytes a line: offset, hex bytes, printable characters.
std::string HexDump(const std::string& bytes) {
  std::string out;
  char line[96];
  for (std::size_t at = 0; at < bytes.size(); at += 16) {
    int n = std::snprintf(line, sizeof line, "%08zx ", at);
    std::string text;
    for (std::size_t i = at; i < at + 16; ++i) {
      if (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), " %02x", c);
        text += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '.';
      } else {
        n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "   ");
      }
    }
    out += std::string(line) + "  |" + text + "|\n";
  }
  return out;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// The regular files below `root`, as paths relative to it.
std::set<std::string> FilesBelow(const fs::path& root) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory()) files.insert(fs::relative(entry.path(), root).string());
  return files;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, Case) {
  const fs::path dir = kCases / GetParam();
  TempDir work;
  if (fs::exists(dir / "in")) fs::copy(dir / "in", work.path(), fs::copy_options::recursive);
  std::string out, err, statuses;
  std::ifstream cmd(dir / "cmd");
  for (std::string line; std::getline(cmd, line);) {
    std::vector<std::string> words = Words(line);
    if (words.empty()) continue;
    const auto program = Programs().find(words[0]);
    ASSERT_NE(program, Programs().end()) << "not a program of the kit: " << words[0];
    const RunResult r = RunProgram(program->second, {words.begin() + 1, words.end()}, InDir(work.path()));
    out += r.out;
    err += r.err;
    statuses += std::to_string(r.status) + "\n";
  }
  const fs::path expected = dir / "expected";
  const bool update = std::getenv("QOKIT_UPDATE_GOLDEN") != nullptr;
  const std::map<std::string, std::string> results = {{"stdout", out}, {"stderr", err}, {"status", statuses}};
  for (const auto& [name, actual] : results) {
    if (update) {
      WriteFile(expected / name, actual);
    } else {
      EXPECT_EQ(actual, ReadFileBytes(expected / name)) << name;
    }
  }
  std::set<std::string> allowed = fs::exists(dir / "in") ? FilesBelow(dir / "in") : std::set<std::string>{};
  if (fs::exists(expected / "files"))
    for (const std::string& name : FilesBelow(expected / "files"))
      allowed.insert(name.ends_with(".hex") ? name.substr(0, name.size() - 4) : name);
  for (const std::string& name : FilesBelow(work.path()))
    EXPECT_TRUE(allowed.count(name) == 1) << name << " was left in the working directory";
  if (!fs::exists(expected / "files")) return;
  for (const auto& entry : fs::directory_iterator(expected / "files")) {
    const fs::path name = entry.path().filename();
    const bool hex = name.extension() == ".hex";
    const fs::path output = work.path() / (hex ? name.stem() : name);
    ASSERT_TRUE(fs::exists(output)) << output.filename() << " was not written";
    const std::string actual = hex ? HexDump(ReadFileBytes(output)) : ReadFileBytes(output);
    if (update) {
      WriteFile(entry.path(), actual);
    } else {
      EXPECT_EQ(actual, ReadFileBytes(entry.path())) << name;
    }
  }
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases))
    if (entry.is_directory()) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Test names from folder names: gtest allows only letters, digits and "_".
std::string TestName(const ::testing::TestParamInfo<std::string>& param) {
  std::string name = param.param;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(CaseNames()), TestName);

}  // namespace
