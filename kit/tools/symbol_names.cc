#include "symbol_names.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "nlsstr.h"
#include "unique_file.h"

namespace qokit {

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  char one[2] = {0, 0};
  const auto is_space = [&](char c) {
    one[0] = c;
    return nls.nlsIsSpace(one) != 0;
  };
  while (i < line.size()) {
    while (i < line.size() && is_space(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !is_space(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool IsControlName(const std::string& name) {
  for (const char* control : {"_H_MSGSYM", "_MSGSYM_CHECKSUM", "_MSGSYM_TIMESTAMP", "_MAX_INSERTS"})
    if (nls.nlsStrCmp(name.c_str(), control) == 0) return true;
  return false;
}

}  // namespace

bool ReadSymbolNames(const char* path, std::map<long, std::string>& names) {
  UniqueFile file(std::fopen(path, "r"));
  if (file == nullptr) return false;
  std::string line;
  int c = 0;
  while ((c = std::fgetc(file.get())) != EOF || !line.empty()) {
    if (c != '\n' && c != EOF) {
      line += static_cast<char>(c);
      continue;
    }
    const std::vector<std::string> words = Words(line);
    line.clear();
    if (words.size() < 3 || nls.nlsStrCmp(words[0].c_str(), "#define") != 0 || IsControlName(words[1]))
      continue;
    char* end = nullptr;
    const long number = std::strtol(words[2].c_str(), &end, 10);
    if (number > 0 && *end == '\0') names.emplace(number, words[1]);
  }
  return !std::ferror(file.get());
}

}  // namespace qokit
