// vexdump: prints a help file's tables and sections and checks them.
#include <cstdio>
#include <string>

#include "command_line.h"
#include "file_bytes.h"
#include "helpdump.h"
#include "helpfile.h"
#include "qokit/nls/nlsstr.h"
#include "qokit/qohlp.h"
#include "tool_messages.h"

int main(int argc, char** argv) {
  nlsInit();
  bool legacy = false;
  const qokit::cli::ToolOption options[] = {{nullptr, "--legacy", nullptr, &legacy}};
  const qokit::cli::ToolCommand tool = {"vexdump", qokit::cli::kVexdumpUsage, QOKIT_VERSION};
  const char* path = nullptr;
  if (const int status = qokit::cli::ParseOneOperand(tool, options, argc, argv, path); status >= 0) return status;

  std::string bytes;
  if (!qokit::io::ReadWholeFile(path, bytes, qokit::reader::kMaxHelpFileSize)) {
    qokit::cli::SayCannotRead(tool.name, path);
    return 1;
  }
  const bool consistent =
      qokit::dump::DumpHelpFile(bytes, legacy ? QOHLP_LEGACY : QOHLP_CURRENT, path, stdout, stderr) == 0;
  return qokit::cli::FinishToolOutput(tool, consistent ? 0 : 1);
}
