// qostamp: sets the compile time of symbol files and message object files to
// a fixed moment, for reproducible builds (SOURCE_DATE_EPOCH).
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "compile_time.h"
#include "file_bytes.h"
#include "replace_file.h"
#include "time_text.h"
#include "tool_messages.h"

namespace {

constexpr std::size_t kMaxFileSize = std::size_t{256} << 20;

// 0 when the file holds the time (now or already), 1 on failure.
int StampFile(const char* path, std::string_view time_text) {
  std::string bytes;
  if (!qokit::io::ReadWholeFile(path, bytes, kMaxFileSize)) {
    qokit::cli::SayCannotStampRead(path);
    return 1;
  }
  std::string stamped = bytes;
  if (!qokit::stamp::RewriteCompileTime(stamped, time_text)) {
    qokit::cli::SayNoCompileTime(path);
    return 1;
  }
  if (stamped == bytes) return 0;
  qokit::io::ReplacementFile file;
  if (!file.Open(path) || std::fwrite(stamped.data(), 1, stamped.size(), file.stream()) != stamped.size() ||
      !file.Commit()) {
    qokit::cli::SayCannotRewrite(path);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    qokit::cli::SayUsage(stdout, qokit::cli::kQostampUsage);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    qokit::cli::SayVersion("qostamp", QOKIT_VERSION);
    return 0;
  }
  if (argc < 3) {
    qokit::cli::SayUsage(stderr, qokit::cli::kQostampUsage);
    return 2;
  }
  const auto epoch = qokit::format::ParseEpoch(argv[1]);
  if (!epoch) {
    qokit::cli::SayNotAnEpoch(argv[1]);
    return 1;
  }
  const std::string time_text = qokit::format::UtcTimeText(*epoch).data();
  int status = 0;
  for (int i = 2; i < argc; ++i) status |= StampFile(argv[i], time_text);
  return status;
}
