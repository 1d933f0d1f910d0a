// The message reader against what a C client would otherwise use, on one
// catalogue of 49,999 two-insert messages in four forms: a qomsg object file,
// a gettext .mo (looked up by its English msgid), a catgets catalogue, and a
// plain array of printf formats in the program (the floor).
//
//   reader_bench generate DIR     writes bench.msg (qogenmsg), bench.po
//                                 (msgfmt) and bench.cat.txt (gencat)
//   reader_bench LIB DIR CALLS    LIB = qomsg, qomsg-checked (the open checks
//                                 every message's signature), gettext,
//                                 catgets or array
//
// A run opens the catalogue (bench_open: the open and the first lookup and
// format, so a loader that works lazily pays its load there too), formats
// 1000 messages to warm up, then CALLS messages (bench_calls), each looked up
// and formatted into a buffer, in one pseudo-random order for every library.
// It checks that every library prints the same texts, and that gettext really
// translates, then prints "LIB open_us resident_growth_KiB ns_per_call".
// Under callgrind, --toggle-collect=bench_open or =bench_calls counts just
// that part (run.sh does both).
#include <libintl.h>
#include <nl_types.h>
#include <time.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "qokit/qomsg.h"

namespace {

constexpr int kMessages = 49999;
constexpr int kWarmUp = 1000;

const char* const kNouns[] = {"Datei", "Objekt", "Sitzung", "Datentraeger", "Knoten", "Archiv", "Verzeichnis"};
const char* const kVerbs[] = {"gesichert", "wiederhergestellt", "uebersprungen", "verschoben", "geprueft"};
const char* const kNounsEn[] = {"file", "object", "session", "volume", "node", "archive", "directory"};
const char* const kVerbsEn[] = {"backed up", "restored", "skipped", "moved", "checked"};

// Message n in the client's language (printf form) and its English msgid,
// each about 50 bytes so that a compiled text fits one block.
std::string Text(int n, bool english) {
  const std::size_t noun = static_cast<std::size_t>(n) % 7, verb = static_cast<std::size_t>(n / 7) % 5;
  const std::string id = std::to_string(n);
  if (english) return std::string(kNounsEn[noun]) + " %s on volume %d was not " + kVerbsEn[verb] + " (" + id + ")";
  return std::string(kNouns[noun]) + " %s auf Band %d nicht " + kVerbs[verb] + " (" + id + ")";
}

// The source text of a printf form: "%s" as insert 1, "%d" as insert 2.
std::string SourceText(std::string text) {
  text.replace(text.find("%s"), 2, "@1%s");
  text.replace(text.find("%d"), 2, "@2%d");
  return text;
}

int Generate(const std::string& dir) {
  std::ofstream msg(dir + "/bench.msg"), po(dir + "/bench.po"), cat(dir + "/bench.cat.txt");
  po << "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
  cat << "$set 1\n";
  for (int n = 1; n <= kMessages; ++n) {
    msg << n << " E MSG_" << n << " \"" << SourceText(Text(n, false)) << "\"\n";
    po << "#, c-format\nmsgid \"" << Text(n, true) << "\"\nmsgstr \"" << Text(n, false) << "\"\n\n";
    cat << n << ' ' << Text(n, false) << '\n';
  }
  return msg && po && cat ? 0 : 1;
}

long ResidentKiB() {
  long size = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &size, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The formats come from the catalogues at run time, as in any client.
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

// What one library needs: open, and look up and format one message.
struct Library {
  bool (*open)(const std::string& dir);
  int (*format)(int n, char* buf, std::size_t size);
};

std::vector<std::string> english, local;
long checksum = 0;  // of the symbol mapping, as the companion header holds it
char path[] = "/usr/share/doc";  // the string argument of every message

qomsg_catalog* catalogue = nullptr;
bool QomsgOpen(const std::string& dir) {
  return qomsg_open_file((dir + "/bench.obj").c_str(), &catalogue, nullptr, 0) == QOMSG_OK;
}

// A client built with the companion header opens its catalogue checked
// against the signature of every message (each "%s%d" here).
std::vector<qomsg_signature> signatures;
bool QomsgCheckedOpen(const std::string& dir) {
  return qomsg_open_checked((dir + "/bench.obj").c_str(), checksum, signatures.data(), signatures.size(),
                            &catalogue, nullptr, 0) == QOMSG_OK;
}
int QomsgFormat(int n, char* buf, std::size_t size) { return qomsg_format(catalogue, n, buf, size, path, n); }

bool GettextOpen(const std::string& dir) { return bindtextdomain("bench", (dir + "/locale").c_str()) != nullptr; }
int GettextFormat(int n, char* buf, std::size_t size) {
  return std::snprintf(buf, size, dgettext("bench", english[static_cast<std::size_t>(n)].c_str()), path, n);
}

nl_catd catalog_descriptor = reinterpret_cast<nl_catd>(-1);
bool CatgetsOpen(const std::string& dir) {
  catalog_descriptor = catopen((dir + "/bench.cat").c_str(), 0);
  return catalog_descriptor != reinterpret_cast<nl_catd>(-1);
}
int CatgetsFormat(int n, char* buf, std::size_t size) {
  return std::snprintf(buf, size, catgets(catalog_descriptor, 1, n, english[static_cast<std::size_t>(n)].c_str()),
                       path, n);
}

bool ArrayOpen(const std::string&) { return true; }
int ArrayFormat(int n, char* buf, std::size_t size) {
  return std::snprintf(buf, size, local[static_cast<std::size_t>(n)].c_str(), path, n);
}

// One order of message numbers for every library.
int Number(long i) { return static_cast<int>((i * 7919 + 13) % kMessages) + 1; }

char buffer[256];
int (*format_one)(int, char*, std::size_t) = nullptr;

}  // namespace

extern "C" {

__attribute__((noinline)) bool bench_open(const Library* library, const char* dir) {
  return library->open(dir) && library->format(1, buffer, sizeof buffer) > 0;
}

__attribute__((noinline)) long bench_calls(long first, long count) {
  long total = 0;
  for (long i = first; i < first + count; ++i) total += format_one(Number(i), buffer, sizeof buffer);
  return total;
}

}  // extern "C"

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "generate") == 0) return Generate(argv[2]);
  if (argc != 4) {
    std::fprintf(stderr, "usage: reader_bench generate DIR | reader_bench qomsg|qomsg-checked|gettext|catgets|array DIR CALLS\n");
    return 2;
  }
  const std::string name = argv[1], dir = argv[2];
  const long calls = std::atol(argv[3]);
  const Library libraries[] = {{QomsgOpen, QomsgFormat}, {QomsgCheckedOpen, QomsgFormat},
                               {GettextOpen, GettextFormat}, {CatgetsOpen, CatgetsFormat}, {ArrayOpen, ArrayFormat}};
  const char* const names[] = {"qomsg", "qomsg-checked", "gettext", "catgets", "array"};
  const Library* library = nullptr;
  for (std::size_t i = 0; i < std::size(names); ++i)
    if (name == names[i]) library = &libraries[i];
  if (library == nullptr) return 2;

  // The client's own strings exist before it opens anything.
  english.resize(kMessages + 1);
  local.resize(kMessages + 1);
  for (int n = 1; n <= kMessages; ++n) {
    english[static_cast<std::size_t>(n)] = Text(n, true);
    local[static_cast<std::size_t>(n)] = Text(n, false);
    signatures.push_back({n, "%s%d"});
  }
  if (std::FILE* header = std::fopen((dir + "/bench.h").c_str(), "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, header) != nullptr)
      if (std::sscanf(line, "#define _MSGSYM_CHECKSUM %ld", &checksum) == 1) break;
    std::fclose(header);
  }
  // gettext translates only outside the C locale; LANGUAGE=de picks the catalogue.
  std::setlocale(LC_ALL, "C.UTF-8");
  setenv("LANGUAGE", "de", 1);
  format_one = library->format;

  const long resident_before = ResidentKiB();
  const double start = Now();
  if (!bench_open(library, dir.c_str())) {
    std::fprintf(stderr, "%s: cannot open the catalogue in %s\n", name.c_str(), dir.c_str());
    return 1;
  }
  const double opened = Now();
  const long growth = ResidentKiB() - resident_before;

  // The same texts from every library: the translation, with its arguments.
  for (const int n : {1, 2, 777, kMessages}) {
    char want[256];
    std::snprintf(want, sizeof want, local[static_cast<std::size_t>(n)].c_str(), path, n);
    format_one(n, buffer, sizeof buffer);
    if (std::strcmp(buffer, want) != 0) {
      std::fprintf(stderr, "%s: message %d prints \"%s\", not \"%s\"\n", name.c_str(), n, buffer, want);
      return 1;
    }
  }
  bench_calls(0, kWarmUp);
  const double calls_start = Now();
  const long total = bench_calls(kWarmUp, calls);
  const double calls_end = Now();
  if (total <= 0) return 1;
  std::printf("%s %.1f %ld %.1f\n", name.c_str(), (opened - start) * 1e6, growth,
              (calls_end - calls_start) * 1e9 / static_cast<double>(calls));
  return 0;
}
