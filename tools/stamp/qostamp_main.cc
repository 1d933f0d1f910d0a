// qostamp: sets the compile time of symbol files and message object files to
// a fixed moment, for reproducible builds (SOURCE_DATE_EPOCH).
#include <string>
#include <string_view>

#include "command_line.h"
#include "compile_time.h"
#include "file_bytes.h"
#include "replace_file.h"
#include "tool_messages.h"

namespace {

// 0 when the file holds the time (now or already), 1 on failure.
int StampFile(const char* path, std::string_view time_text) {
  std::string bytes;
  if (!qokit::io::ReadWholeFile(path, bytes)) {
    qokit::cli::SayCannotStampRead(path);
    return 1;
  }
  std::string stamped = bytes;
  if (!qokit::stamp::RewriteCompileTime(stamped, time_text)) {
    qokit::cli::SayNoCompileTime(path);
    return 1;
  }
  if (stamped == bytes) return 0;
  if (!qokit::io::WriteWholeFile(path, stamped)) {
    qokit::cli::SayCannotRewrite(path);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const qokit::cli::ToolCommand tool = {"qostamp", qokit::cli::kQostampUsage, QOKIT_VERSION};
  qokit::cli::Operands operands;
  if (const int status = qokit::cli::ParseCommandLine(tool, {}, {argv + 1, argv + argc}, operands); status >= 0)
    return status;
  if (operands.words.size() < 2) return qokit::cli::UsageError(tool, "an EPOCH and at least one FILE are needed");
  const auto epoch = qokit::stamp::ParseEpoch(operands.words[0]);
  if (!epoch) {
    qokit::cli::SayNotAnEpoch(operands.words[0]);
    return 1;
  }
  const std::string time_text = qokit::stamp::UtcTimeText(*epoch);
  int status = 0;
  for (std::size_t i = 1; i < operands.words.size(); ++i) status |= StampFile(operands.words[i], time_text);
  return status;
}
