// Output that cannot be written: every program reports it as its texts say,
// ends with its failing status (the help compilers always end with 0), keeps
// an earlier output file as it was and leaves no temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "fault_run.h"
#include "temp_dir.h"

namespace {

enum class Fault { kFileSizeLimit, kOutputIsDirectory, kUnwritableDirectory };

// Enough entries that the symbol file outgrows the smallest file-size limit.
std::string ManyMessages() {
  std::string text;
  for (int n = 1; n <= 120; ++n) {
    text += std::to_string(n) + " E MESSAGE_NUMBER_" + std::to_string(n) + " \"Message @1%s number " +
            std::to_string(n) + ".\"\n";
  }
  return text;
}

// Enough lines that the help file outgrows the smallest file-size limit.
std::string LongHelpSource(const std::string& major, const std::string& close) {
  std::string text = major + "1%2%Start" + close + "The start\n";
  for (int n = 0; n < 200; ++n) text += "Line " + std::to_string(n) + " of the help text.\n";
  return text;
}

constexpr char kEarlier[] = "earlier output\n";

struct Case {
  std::string name;
  std::string program;
  Fault fault;
  std::string source;  // the input file's name; its bytes follow
  std::string sourceBytes;
  std::string output;  // the output name, inside the run's directory
  std::vector<std::string> args;  // "@OUT" stands for the output path
  std::string input;              // standard input
  std::string out;                // expected standard output: a part of it
  std::string err;                // expected standard error, whole
  int status;
  std::vector<std::string> setup = {};  // a clean run before the faulted one
};

std::vector<std::string> Args(const Case& c, const std::string& outPath) {
  std::vector<std::string> args;
  for (const std::string& a : c.args) args.push_back(a == "@OUT" ? outPath : a);
  return args;
}

void RunCase(const Case& c) {
  SCOPED_TRACE(c.name);
  TempDir dir;
  dir.Write(c.source, c.sourceBytes);
  RunOptions options;
  options.workdir = dir.path();
  if (!c.setup.empty()) {
    ASSERT_EQ(RunProgram(c.program, c.setup, options).status, 0);
  }
  options.input = c.input;
  std::string outPath = c.output;
  if (c.fault == Fault::kFileSizeLimit) dir.Write(c.output, kEarlier);
  if (c.fault == Fault::kOutputIsDirectory) std::filesystem::create_directory(dir / c.output);
  if (c.fault == Fault::kUnwritableDirectory) outPath = (UnwritableDirectory() / c.output).string();
  const std::set<std::string> before = DirectoryNames(dir.path());

  const RunResult r = c.fault == Fault::kFileSizeLimit ? RunWithFileSizeLimit(c.program, Args(c, outPath), 1, options)
                                                       : RunProgram(c.program, Args(c, outPath), options);
  // Nothing new is left behind (the help compilers' small listing is
  // complete before the help file's failure shows, so it may stay).
  EXPECT_EQ(WithoutListing(DirectoryNames(dir.path())), before);
  if (c.fault == Fault::kFileSizeLimit) {
    EXPECT_EQ(dir.Read(c.output), kEarlier);
  }
  if (c.fault == Fault::kOutputIsDirectory) {
    EXPECT_TRUE(std::filesystem::is_empty(dir / c.output));
  }
  std::string expectedOut = c.out;
  if (const size_t at = expectedOut.find("@OUT"); at != std::string::npos) expectedOut.replace(at, 4, outPath);
  std::string expectedErr = c.err;
  if (const size_t at = expectedErr.find("@OUT"); at != std::string::npos) expectedErr.replace(at, 4, outPath);
  EXPECT_NE(r.out.find(expectedOut), std::string::npos) << r.out;
  EXPECT_EQ(r.err, expectedErr);
  EXPECT_EQ(r.status, c.status);
}

const char kSymbolWriteFailed[] = "Error occurred writing to symbol file @OUT.\n\nCompile failed.\n";
const char kSymbolOpenFailed[] = "Unable to open symbol file \"@OUT\" for writing.\n\nCompile failed.\n";

TEST(OutputFaults, MessageCompiler) {
  const std::string msgs = ManyMessages();
  const Case cases[] = {
      {"regensym, writes fail part-way", QOGENMSG_PATH, Fault::kFileSizeLimit, "a.msg", msgs, "msgs.h",
       {"regensym", "@OUT", "a.msg"}, "", "", kSymbolWriteFailed, 1},
      {"regensym, symbol file is a directory", QOGENMSG_PATH, Fault::kOutputIsDirectory, "a.msg", msgs, "msgs.h",
       {"regensym", "@OUT", "a.msg"}, "", "", kSymbolOpenFailed, 1},
      {"regensym, directory not writable", QOGENMSG_PATH, Fault::kUnwritableDirectory, "a.msg", msgs, "msgs.h",
       {"regensym", "@OUT", "a.msg"}, "", "", kSymbolOpenFailed, 1},
      {"gensym, directory not writable, waits for a key", QOGENMSG_PATH, Fault::kUnwritableDirectory, "a.msg",
       msgs, "msgs.h", {"gensym", "@OUT", "a.msg"}, "\n", "",
       "Unable to open symbol file \"@OUT\" for writing.\n\nCompile failed.\nHit enter to continue...", 1},
  };
  for (const Case& c : cases) RunCase(c);
}

TEST(OutputFaults, ObjectFile) {
  const std::string msgs = ManyMessages();
  const std::vector<std::string> genobj = {"genobj", "msgs.h", "@OUT", "a.msg"};
  const std::vector<std::string> gensym = {"regensym", "msgs.h", "a.msg"};
  const char kWait[] = "\nCompile failed.\nHit enter to continue...";
  const std::string writeFailed = "Error occurred writing to object file @OUT." + std::string("\n") + kWait;
  const std::string openFailed = "Unable to open object file @OUT for writing." + std::string("\n") + kWait;
  const Case cases[] = {
      {"genobj, writes fail part-way", QOGENMSG_PATH, Fault::kFileSizeLimit, "a.msg", msgs, "msgs.obj", genobj,
       "\n", "", writeFailed, 1, gensym},
      {"genobj, object file is a directory", QOGENMSG_PATH, Fault::kOutputIsDirectory, "a.msg", msgs, "msgs.obj",
       genobj, "\n", "", openFailed, 1, gensym},
      {"genobj, directory not writable", QOGENMSG_PATH, Fault::kUnwritableDirectory, "a.msg", msgs, "msgs.obj",
       genobj, "\n", "", openFailed, 1, gensym},
  };
  for (const Case& c : cases) RunCase(c);
}

TEST(OutputFaults, HelpCompilers) {
  const std::string tagged = LongHelpSource("$H", "$-");
  const std::string legacy = LongHelpSource("$H", "$H");
  const char kWriteFailed[] = "File \"@OUT\" could not be written completely: File too large\n";
  const char kOpenFailed[] = "\n\nFile \"@OUT\" can not be opened for output...";
  const Case cases[] = {
      {"vexproc, writes fail part-way", VEXPROC_PATH, Fault::kFileSizeLimit, "help.txt", tagged, "help.hlp",
       {"help.txt", "@OUT"}, "", kWriteFailed, "", 0},
      {"vexproc, output is a directory", VEXPROC_PATH, Fault::kOutputIsDirectory, "help.txt", tagged, "help.hlp",
       {"help.txt", "@OUT"}, "", kOpenFailed, "", 0},
      {"vexproc, directory not writable", VEXPROC_PATH, Fault::kUnwritableDirectory, "help.txt", tagged,
       "help.hlp", {"help.txt", "@OUT"}, "", kOpenFailed, "", 0},
      {"vexproc-legacy, writes fail part-way", VEXPROC_LEGACY_PATH, Fault::kFileSizeLimit, "help.tag", legacy,
       "help.hlp", {"help.tag", "@OUT"}, "", kWriteFailed, "", 0},
      {"vexproc-legacy, output is a directory", VEXPROC_LEGACY_PATH, Fault::kOutputIsDirectory, "help.tag",
       legacy, "help.hlp", {"help.tag", "@OUT"}, "", kOpenFailed, "", 0},
      {"vexproc-legacy, directory not writable", VEXPROC_LEGACY_PATH, Fault::kUnwritableDirectory, "help.tag",
       legacy, "help.hlp", {"help.tag", "@OUT"}, "", kOpenFailed, "", 0},
  };
  for (const Case& c : cases) RunCase(c);
}

// A full file system: the help file and the listing fail when their data is
// flushed at the close. Each is named with the system's reason, the run
// still ends with 0, and nothing is left on the disk: no help file, no empty
// listing, no temporary file.
TEST(OutputFaults, HelpCompilersOnAFullFileSystem) {
  TempDir dir;
  dir.Write("help.txt", "$H1%2%Start$-The start\nSome text.\n");
  dir.Write("help.tag", "$H1%2%Start$HThe start\nSome text.\n");
  const char kFull[] = "could not be written completely: No space left on device\n";
  struct Run {
    const char* program;
    const char* source;
    int status;
  };
  for (const Run& run : {Run{VEXPROC_PATH, "../help.txt", 0}, Run{VEXPROC_LEGACY_PATH, "../help.tag", 0}}) {
    SCOPED_TRACE(run.program);
    const FullRun r = RunOnFullFileSystem(run.program, {run.source, "help.hlp"}, dir.path());
    if (r.unavailable) GTEST_SKIP() << "no user and mount namespaces here: " << r.run.err;
    EXPECT_EQ(r.run.status, run.status);
    EXPECT_NE(r.run.out.find("\n\nFile \"help.hlp\" " + std::string(kFull)), std::string::npos) << r.run.out;
    EXPECT_NE(r.run.out.find("\n\nFile struct.doc " + std::string(kFull)), std::string::npos) << r.run.out;
    EXPECT_EQ(r.left, std::set<std::string>{kFillFile}) << r.run.out;
  }
}

}  // namespace
