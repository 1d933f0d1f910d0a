#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A fresh directory under the system's temporary folder, removed with all it
// holds when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  // Writes `bytes` to `name` inside the directory and returns its full path.
  std::filesystem::path Write(std::string_view name, std::string_view bytes) const;
  // The whole content of `name` inside the directory; empty when it does not exist.
  std::string Read(std::string_view name) const;
  bool Exists(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file, or an empty string when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& file);
