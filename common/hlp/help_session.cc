#include "help_session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "help_tables.h"
#include "nlsstr.h"

bool read_answer(NameBuffer& answer) {
  std::fflush(stdout);
  if (std::fgets(answer, static_cast<int>(kNameSize), stdin) == nullptr) {
    answer[0] = '\0';
    report_end_of_input();
    return false;
  }
  answer[nls.nlsStrcSpn(answer, "\n")] = '\0';
  return true;
}

int read_reply_char() {
  std::fflush(stdout);
  return std::getchar();
}

void report_end_of_input() { std::printf("\n End of input.  Exiting program...\n"); }

bool copy_name(NameBuffer& target, const char* source) {
  if (std::strlen(source) >= kNameSize) {
    std::printf("File name longer than %zu characters: %.40s...\n", kNameSize - 1, source);
    return false;
  }
  nls.nlsStrCpy(target, source);
  return true;
}

namespace {

// The file that a finished help file replaces: through a symbolic link, the
// file it points at, so the link itself stays.
std::string replacement_target(const char* outfile) {
  struct stat link {};
  char resolved[PATH_MAX];
  if (lstat(outfile, &link) == 0 && S_ISLNK(link.st_mode) && realpath(outfile, resolved) != nullptr) {
    return resolved;
  }
  return outfile;
}

}  // namespace

bool same_names(const char* a, const char* b) { return nls.nlsStrCmp(a, b) == 0; }

Flow openfiles(const char* infile, const char* outfile, HelpFiles& files) {
  files.source.reset(std::fopen(infile, "r"));
  if (!files.source) {
    std::printf("\n\nFile \"%s\" can not be opened for input...", infile);
    return Flow::kEndRun;
  }
  // Names are compared as typed, so "a.txt" and "./a.txt" pass that test;
  // opening the source itself for output would destroy it.
  struct stat in_stat {};
  struct stat out_stat {};
  if (fstat(fileno(files.source.get()), &in_stat) == 0 && stat(outfile, &out_stat) == 0 &&
      in_stat.st_dev == out_stat.st_dev && in_stat.st_ino == out_stat.st_ino) {
    std::printf("\n\nFile \"%s\" is the input file and can not be opened for output...", outfile);
    files.source.reset();
    return Flow::kEndRun;
  }
  if (stat(outfile, &out_stat) == 0 && !S_ISREG(out_stat.st_mode)) {
    // A device or a pipe cannot be replaced, only written (a directory fails here).
    files.help.reset(std::fopen(outfile, "wb+"));
  } else if (access(outfile, F_OK) != 0 || access(outfile, W_OK) == 0) {
    // A file that may not be written is refused, as opening it would refuse it.
    files.target = replacement_target(outfile);
    files.temp_name = files.target + ".XXXXXX";
    const int fd = mkstemp(files.temp_name.data());
    if (fd < 0) {
      files.temp_name.clear();
    } else {
      files.help.reset(fdopen(fd, "wb+"));
      if (!files.help) close(fd);
    }
  }
  if (!files.help) {
    std::printf("\n\nFile \"%s\" can not be opened for output...", outfile);
    files.source.reset();
    return Flow::kEndRun;
  }
  f1 = files.source.get();
  f2 = files.help.get();
  return Flow::kGoOn;
}

bool closefiles(HelpFiles& files, const char* outfile) {
  files.source.reset();
  f1 = nullptr;
  f2 = nullptr;
  if (!files.help) return true;
  bool complete = std::fflush(files.help.get()) == 0 && std::ferror(files.help.get()) == 0;
  if (!files.temp_name.empty()) {
    // The finished file gets the permissions the old one had, or those a
    // newly created file would get.
    struct stat old {};
    mode_t mode;
    if (stat(files.target.c_str(), &old) == 0) {
      mode = old.st_mode & 07777;
    } else {
      const mode_t mask = umask(0);
      umask(mask);
      mode = 0666 & ~mask;
    }
    complete = fchmod(fileno(files.help.get()), mode) == 0 && complete;
  }
  complete = std::fclose(files.help.release()) == 0 && complete;
  if (complete && !files.temp_name.empty()) {
    complete = std::rename(files.temp_name.c_str(), files.target.c_str()) == 0;
  }
  if (!complete) {
    std::printf("\n\nFile \"%s\" could not be written completely...\n", outfile);
    return false;
  }
  files.temp_name.clear();
  return true;
}

HelpFiles::~HelpFiles() {
  help.reset();
  if (!temp_name.empty()) unlink(temp_name.c_str());
}
