// Runs the message checker's library on sources written to files a.msg,
// b.msg, ... (or the names given) in a fresh folder, for the checker's tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "check_messages.h"
#include "qokit/nls/nlsstr.h"
#include "source_lint.h"
#include "temp_dir.h"
#include "translation_check.h"

// A set of named sources, in reading order.
using Sources = std::vector<std::pair<std::string, std::string>>;

inline Sources Named(const std::vector<std::string>& bytes, char first = 'a') {
  Sources sources;
  for (const std::string& b : bytes) sources.push_back({std::string(1, first++).append(".msg"), b});
  return sources;
}

// The findings as qomsgcheck prints them.
inline std::string Printed(const qokit::check::Findings& findings) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  findings.Print(out);
  std::fclose(out);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

// Works inside a fresh folder, so that the file names in findings are short.
class CheckRun {
 public:
  CheckRun() : previous_(std::filesystem::current_path()) {
    nlsInit();
    std::filesystem::current_path(dir_.path());
  }
  ~CheckRun() { std::filesystem::current_path(previous_); }
  CheckRun(const CheckRun&) = delete;
  CheckRun& operator=(const CheckRun&) = delete;

  // Writes the sources and lints them; false when they could not be read.
  bool Lint(const Sources& sources, qokit::check::Findings& findings, qokit::check::LintResult& result,
            qokit::check::TextsOf texts = qokit::check::TextsOf::kBase) {
    std::vector<const char*> names;
    for (const auto& [name, bytes] : sources) {
      dir_.Write(name, bytes);
      names.push_back(name.c_str());
    }
    return qokit::check::LintSources(names, findings, result, texts);
  }
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
  std::filesystem::path previous_;
};
