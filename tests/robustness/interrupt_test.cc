// A compile interrupted while it writes its output (Ctrl-C, a kill, a closed
// terminal) ends as the signal asks and leaves nothing behind: the earlier
// output stays as it was and the temporary file it was writing is gone. A
// signal the caller ignores (nohup) stays ignored and the compile completes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "fault_run.h"
#include "temp_dir.h"

namespace {

// Enough messages that writing the symbol file and the object file takes a
// while (about 2 MB each); every text fits one object-file block.
std::string LargeCatalogue() {
  std::string text;
  for (int n = 1; n <= 30000; ++n)
    text += std::to_string(n) + " E MESSAGE_NUMBER_" + std::to_string(n) + " \"Message @1%s number " +
            std::to_string(n) + "\"\n";
  return text;
}

// A help source of many lines: its help file is written while it is read.
std::string LargeHelpSource(const std::string& close) {
  std::string text = "$H1%2%Start" + close + "The start\n";
  for (int n = 0; n < 200000; ++n) text += "Line " + std::to_string(n) + " of the help text.\n";
  return text;
}

struct Interrupted {
  bool caught = false;  // the signal was sent while the temporary file existed
  int status = -1;      // as RunResult has it: 128 + the signal when killed by one
};

// Runs `program` in `dir` and sends `sig` as soon as the temporary file of
// `output` ("output.XXXXXX") appears. With `ignored` the program starts with
// the signal ignored, as under nohup.
Interrupted RunAndInterrupt(const std::string& program, const std::vector<std::string>& args,
                            const std::filesystem::path& dir, const std::string& output, int sig, bool ignored) {
  Interrupted result;
  const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (watch < 0 || inotify_add_watch(watch, dir.c_str(), IN_CREATE) < 0) return result;
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    // At the lowest priority, so that on a busy machine the signal still
    // arrives while the output is being written.
    if (chdir(dir.c_str()) != 0 || nice(19) == -1) _exit(127);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, s == sig && ignored ? SIG_IGN : SIG_DFL);
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  const std::string prefix = output + ".";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int wstatus = 0;
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      break;
    }
    pollfd p{watch, POLLIN, 0};
    if (result.caught || poll(&p, 1, 10) <= 0) continue;
    alignas(inotify_event) char events[4096];
    const ssize_t n = read(watch, events, sizeof events);
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(events + at);
      const std::string name = e->len > 0 ? e->name : "";
      if (!result.caught && name.size() == prefix.size() + 6 && name.starts_with(prefix)) {
        kill(pid, sig);
        result.caught = true;
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
  }
  close(watch);
  result.status = WIFSIGNALED(wstatus) ? 128 + WTERMSIG(wstatus) : WEXITSTATUS(wstatus);
  return result;
}

struct Case {
  std::string name;
  std::string program;
  std::vector<std::string> args;
  std::string output;
  int sig;
};

constexpr char kEarlier[] = "earlier output\n";

TEST(Interrupt, TemporaryOutputsAreRemovedAndTheSignalEndsTheRun) {
  TempDir dir;
  dir.Write("big.msg", LargeCatalogue());
  dir.Write("big.txt", LargeHelpSource("$-"));
  dir.Write("big.tag", LargeHelpSource("$H"));
  ASSERT_EQ(RunProgram(QOGENMSG_PATH, {"regensym", "sym.h", "big.msg"}, InDir(dir.path())).status, 0);
  const std::string symbols = dir.Read("sym.h");
  const Case cases[] = {
      {"regensym, SIGINT", QOGENMSG_PATH, {"regensym", "out.h", "big.msg"}, "out.h", SIGINT},
      {"genobj, SIGTERM", QOGENMSG_PATH, {"genobj", "sym.h", "out.obj", "big.msg"}, "out.obj", SIGTERM},
      {"vexproc, SIGHUP", VEXPROC_PATH, {"big.txt", "out.hlp"}, "out.hlp", SIGHUP},
      {"vexproc-legacy, SIGINT", VEXPROC_LEGACY_PATH, {"big.tag", "out.hlp"}, "out.hlp", SIGINT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.Write(c.output, kEarlier);
    std::filesystem::remove(dir / "struct.doc");
    const std::set<std::string> before = DirectoryNames(dir.path());
    // The write is short; a run that ends before the signal arrives is tried again.
    Interrupted run;
    for (int attempt = 0; attempt < 10 && run.status != 128 + c.sig; ++attempt) {
      dir.Write(c.output, kEarlier);
      run = RunAndInterrupt(c.program, c.args, dir.path(), c.output, c.sig, false);
      ASSERT_TRUE(run.caught) << "the temporary output never appeared";
      EXPECT_EQ(WithoutListing(DirectoryNames(dir.path())), before);
    }
    EXPECT_EQ(run.status, 128 + c.sig) << "never interrupted while writing";
    EXPECT_TRUE(dir.Read(c.output) == kEarlier) << "the earlier output was replaced";
    EXPECT_TRUE(dir.Read("sym.h") == symbols) << "the symbol file changed";
  }
}

TEST(Interrupt, AnIgnoredSignalStaysIgnored) {
  TempDir dir;
  dir.Write("big.txt", LargeHelpSource("$-"));
  const Interrupted run = RunAndInterrupt(VEXPROC_PATH, {"big.txt", "out.hlp"}, dir.path(), "out.hlp", SIGHUP, true);
  EXPECT_TRUE(run.caught);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dir.Read("out.hlp").size(), 6u * 2 + 60 + 200001u * 72);
}

}  // namespace
