// vexdump: prints a help file's tables and sections and checks them.
#include <cstdio>
#include <string>

#include "file_bytes.h"
#include "helpdump.h"
#include "helpfile.h"
#include "nlsstr.h"
#include "qohlp.h"
#include "tool_cli.h"
#include "tool_messages.h"

int main(int argc, char** argv) {
  nlsInit();
  bool legacy = false;
  const qokit::ToolOption options[] = {{nullptr, "--legacy", nullptr, &legacy}};
  const qokit::ToolCommand tool = {"vexdump", qokit::kVexdumpUsage, QOKIT_VERSION, options};
  const char* path = nullptr;
  if (const int status = qokit::ParseToolCommand(tool, argc, argv, path); status >= 0) return status;

  std::string bytes;
  if (!qokit::ReadWholeFile(path, bytes, qohlp::kMaxFileSize)) {
    qokit::SayCannotRead(tool.name, path);
    return 1;
  }
  const bool consistent =
      qokit::DumpHelpFile(bytes, legacy ? QOHLP_LEGACY : QOHLP_CURRENT, path, stdout, stderr) == 0;
  return qokit::FinishToolOutput(tool, consistent ? 0 : 1);
}
