// qostamp: sets the compile time of symbol files and message object files to
// a fixed moment, for reproducible builds (SOURCE_DATE_EPOCH).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "compile_time.h"
#include "file_bytes.h"
#include "replace_file.h"

namespace {

constexpr std::size_t kMaxFileSize = std::size_t{256} << 20;

void Usage(std::FILE* to) {
  std::fputs("Usage: qostamp EPOCH FILE...\n"
             "Set the compile time written into symbol files and message object files to\n"
             "EPOCH (seconds since 1970-01-01 00:00:00 UTC, as in SOURCE_DATE_EPOCH).\n"
             "A file that already holds that time is left untouched.\n\n"
             "      --help     show this help and exit\n"
             "      --version  show the version and exit\n",
             to);
}

// 0 when the file holds the time (now or already), 1 on failure.
int StampFile(const char* path, std::string_view time_text) {
  std::string bytes;
  if (!qokit::ReadWholeFile(path, bytes, kMaxFileSize)) {
    std::fprintf(stderr, "qostamp: %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  std::string stamped = bytes;
  if (!qokit::RewriteCompileTime(stamped, time_text)) {
    std::fprintf(stderr, "qostamp: %s: not a symbol file or message object file with a compile time\n", path);
    return 1;
  }
  if (stamped == bytes) return 0;
  ReplacementFile file;
  if (!file.Open(path) || std::fwrite(stamped.data(), 1, stamped.size(), file.stream()) != stamped.size() ||
      !file.Commit()) {
    std::fprintf(stderr, "qostamp: %s: cannot be rewritten: %s\n", path, std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    Usage(stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("qostamp (qokit) %s\n", QOKIT_VERSION);
    return 0;
  }
  if (argc < 3) {
    Usage(stderr);
    return 2;
  }
  const auto epoch = qokit::ParseEpoch(argv[1]);
  if (!epoch) {
    std::fprintf(stderr, "qostamp: '%s' is not a time in seconds since the epoch (digits only, before year 10000)\n",
                 argv[1]);
    return 1;
  }
  const std::string time_text = qokit::UtcTimeText(*epoch);
  int status = 0;
  for (int i = 2; i < argc; ++i) status |= StampFile(argv[i], time_text);
  return status;
}
