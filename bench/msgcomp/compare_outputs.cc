// Differential run of two builds of qogenmsg on mutated message sources and
// symbol files: every case runs regensym, gensym over a (possibly mutated)
// symbol file and genobj with each build's program, in directories of the
// same layout, and compares standard output, standard error, exit status and
// every output file. Compile times are masked (the object file's date, the
// header's timestamp text), since the two runs do not share a clock.
//
// Usage: compare_outputs <new-bin> <old-bin> <cases> <seed-source>... [-- <seed-symbol-file>...]
// A case that differs is kept under ./differences/<case>/ with both runs'
// results. Cases whose sources hold no entry at all, which older builds
// compiled into an empty catalogue and newer ones refuse, are counted apart.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Bytes and pieces that the source and symbol file syntax give a meaning.
const char* const kTokens[] = {"\"", "\\", "/", "*", "/*", "*/", "[", "]", "@", "%", "@1%s", "@2%ld", "@1%5.2f",
                               "@3%*.*d", "%%", "0", "7", "49999", "50000", "12345678901", "A", "z", "_", "\n",
                               " ", "\t", "\r", "\v", "" /* a NUL byte */, "\xff", "\xe4", "#define",
                               "0 I DATEFORMAT \"7\"\n", "\\s", "\\q", "\\n", " E ", "_MSGSYM_CHECKSUM", "\n\n"};

std::string Token(std::mt19937& rng) {
  const std::size_t i = rng() % std::size(kTokens);
  if (kTokens[i][0] == '\0') return std::string(1, '\0');
  return kTokens[i];
}

// One random edit of the kinds that move a parser between its states.
void Mutate(std::string& s, std::mt19937& rng) {
  const std::size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
  switch (rng() % 9) {
    case 0: s.erase(at, 1 + rng() % 3); break;
    case 1: case 2: s.insert(at, Token(rng)); break;
    case 3: if (at < s.size()) s.replace(at, 1, Token(rng)); break;
    case 4: s.resize(at); break;
    case 5: s.insert(at, std::string(1 + rng() % 300, "A 9\n"[rng() % 4])); break;
    case 6: {  // a line again, elsewhere: duplicate entries and defines
      const std::size_t from = s.rfind('\n', at);
      const std::size_t start = from == std::string::npos ? 0 : from + 1;
      const std::size_t end = s.find('\n', start);
      const std::string line = s.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
      s.insert(s.empty() ? 0 : rng() % (s.size() + 1), line);
      break;
    }
    case 7:  // a digit changed: numbers, checksums, argument numbers
      for (std::size_t i = at; i < s.size(); ++i)
        if (s[i] >= '0' && s[i] <= '9') {
          s[i] = static_cast<char>('0' + rng() % 10);
          break;
        }
      break;
    default:
      if (at < s.size()) s[at] = static_cast<char>(rng() % 256);
      break;
  }
}

struct Run {
  std::string out, err;
  int status = -1;
};

Run Execute(const fs::path& dir, const std::vector<std::string>& argv) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  Run run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = Read(dir / "stdout.txt");
  run.err = Read(dir / "stderr.txt");
  fs::remove(dir / "stdout.txt");
  fs::remove(dir / "stderr.txt");
  return run;
}

// The compile time of an object file or a symbol file, blanked.
std::string Masked(std::string bytes) {
  if (bytes.size() >= 64 && bytes.compare(0, 4, "1R3V") == 0) return bytes.replace(32, 24, 24, '#');
  const std::size_t line = bytes.find("#define _MSGSYM_TIMESTAMP");
  if (line == std::string::npos) return bytes;
  const std::size_t quote = bytes.find('"', line);
  if (quote != std::string::npos && quote + 25 < bytes.size() && bytes[quote + 25] == '"')
    bytes.replace(quote + 1, 24, 24, '#');
  return bytes;
}

// Everything a run leaves: its output, and the bytes of every file it wrote.
std::string Results(const fs::path& dir, const std::vector<Run>& runs) {
  std::string all;
  for (const Run& r : runs) all += r.out + "\n--\n" + r.err + "\n--\n" + std::to_string(r.status) + "\n==\n";
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) all += f.filename().string() + ":\n" + Masked(Read(f)) + "\n==\n";
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << "usage: " << argv[0] << " <new-bin> <old-bin> <cases> <seed-source>... [-- <seed-symbol-file>...]\n";
    return 2;
  }
  unsetenv("SOURCE_DATE_EPOCH");
  const fs::path programs[2] = {fs::absolute(argv[1]) / "qogenmsg", fs::absolute(argv[2]) / "qogenmsg"};
  const int cases = std::atoi(argv[3]);
  std::vector<std::string> sources, headers;
  bool symbolFiles = false;
  for (int i = 4; i < argc; ++i) {
    if (std::string(argv[i]) == "--") {
      symbolFiles = true;
    } else {
      (symbolFiles ? headers : sources).push_back(Read(argv[i]));
    }
  }
  if (sources.empty()) {
    std::cerr << "no seed sources\n";
    return 2;
  }
  const fs::path work = fs::temp_directory_path() / ("qokit-compare-" + std::to_string(getpid()));
  std::mt19937 rng(20261209);
  int differing = 0, withoutEntries = 0, failedRuns = 0, runs = 0;
  for (int c = 0; c < cases; ++c) {
    // One seed source, left alone or edited once or twice (so that many runs
    // compile), cut into one to three sources anywhere, since the sources are
    // one stream; a symbol file made from the unedited source (or a seed one),
    // edited half the time.
    const std::string original = sources[rng() % sources.size()];
    std::string edited = original;
    if (rng() % 2 == 0)
      for (std::size_t m = 1 + rng() % 2; m > 0; --m) Mutate(edited, rng);
    std::vector<std::string> files;
    for (std::size_t cuts = rng() % 3; cuts > 0 && !edited.empty(); --cuts) {
      const std::size_t at = rng() % edited.size();
      files.push_back(edited.substr(0, at));
      edited.erase(0, at);
    }
    files.push_back(edited);
    const fs::path base = work / "base";
    fs::create_directories(base);
    Write(base / "s.msg", original);
    Execute(base, {programs[1].string(), "regensym", "base.h", "s.msg"});
    std::vector<std::string> names;
    for (std::size_t i = 0; i < files.size(); ++i) names.push_back("s" + std::to_string(i) + ".msg");
    std::string header = fs::exists(base / "base.h") ? Read(base / "base.h")
                                                       : headers.empty() ? "" : headers[rng() % headers.size()];
    fs::remove_all(base);
    if (rng() % 2 == 0)
      for (std::size_t m = 1 + rng() % 3; m > 0; --m) Mutate(header, rng);

    std::string results[2];
    fs::path dirs[2];
    for (int side = 0; side < 2; ++side) {
      dirs[side] = work / (side == 0 ? "new" : "old");
      fs::remove_all(dirs[side]);
      fs::create_directories(dirs[side]);
      for (std::size_t i = 0; i < files.size(); ++i) Write(dirs[side] / names[i], files[i]);
      Write(dirs[side] / "h.h", header);
      const std::string p = programs[side].string();
      std::vector<std::vector<std::string>> commands = {{p, "regensym", "r.h"}, {p, "gensym", "h.h"}};
      commands.push_back({p, "genobj", "h.h", "o.obj"});
      std::vector<Run> done;
      for (std::size_t k = 0; k < commands.size(); ++k) {
        std::vector<std::string> command = commands[k];
        // genobj against the regensym result when there is one: more objects get written.
        if (k == 2 && fs::exists(dirs[side] / "r.h")) command[2] = "r.h";
        command.insert(command.end(), names.begin(), names.end());
        done.push_back(Execute(dirs[side], command));
        if (side == 0) {
          ++runs;
          if (done.back().status != 0) ++failedRuns;
        }
      }
      results[side] = Results(dirs[side], done);
    }
    // Sources without a single entry were accepted, as an empty catalogue,
    // before the compiler made them an error; such cases are counted apart.
    constexpr std::string_view kNoEntries = "No message entries in the source files.";
    if (results[0] != results[1] && results[0].find(kNoEntries) != std::string::npos &&
        results[1].find(kNoEntries) == std::string::npos) {
      ++withoutEntries;
    } else if (results[0] != results[1]) {
      ++differing;
      const fs::path keep = fs::path("differences") / std::to_string(c);
      fs::create_directories(keep);
      Write(keep / "new.txt", results[0]);
      Write(keep / "old.txt", results[1]);
      for (std::size_t i = 0; i < files.size(); ++i) Write(keep / names[i], files[i]);
      Write(keep / "h.h", header);
    }
  }
  fs::remove_all(work);
  std::cout << cases << " cases, " << runs << " runs of each build (" << failedRuns << " of them failing compiles), "
            << differing << " cases with any difference";
  if (withoutEntries > 0) std::cout << ", " << withoutEntries << " more without any entry (an error only in the first build)";
  std::cout << "\n";
  return differing == 0 ? 0 : 1;
}
