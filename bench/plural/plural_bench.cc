// Plural messages: qomsg_format_plural against glibc's ngettext + snprintf
// and the floor (a program's own array of forms and its compiled-in rule),
// on one Russian catalogue of 2,000 plural messages of three forms.
//
//   plural_bench generate DIR     writes plural.msg (for qogenmsg) and
//                                 plural.po (for msgfmt)
//   plural_bench LIB DIR CALLS    LIB = qomsg-plural, qomsg (the standing
//                                 form, what a client that ignores plurals
//                                 pays), gettext or array
//
// Each call formats message i with the count i % 200. Every library must
// print the same texts. Prints "LIB ns_per_call"; under callgrind,
// --toggle-collect=bench_calls counts the calls alone (run.sh).
#include <libintl.h>
#include <time.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "qokit/qomsg.h"

// The formats come from the catalogues at run time, as in any client.
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

namespace {

constexpr int kMessages = 2000;
constexpr char kRule[] =
    "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);";
const char* const kForms[3] = {"файл", "файла", "файлов"};
const char* const kPath = "/srv/backup";

int RussianForm(unsigned long n) {
  return n % 10 == 1 && n % 100 != 11 ? 0 : n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 10 || n % 100 >= 20) ? 1 : 2;
}
std::string Local(int k, int form) {
  return "%d " + std::string(kForms[form]) + " в %s сохранено (" + std::to_string(k) + ")";
}
std::string English(int k, bool plural) {
  return std::string(plural ? "%d files" : "%d file") + " saved in %s (" + std::to_string(k) + ")";
}
std::string Source(std::string text) {
  text.replace(text.find("%d"), 2, "@1%d");
  text.replace(text.find("%s"), 2, "@2%s");
  return "\"" + text + "\"";
}

int Generate(const std::string& dir) {
  std::ofstream msg(dir + "/plural.msg"), po(dir + "/plural.po");
  msg << "0 I PLURALFORMS \"" << kRule << "\"\n";
  po << "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"Plural-Forms: " << kRule
     << "\\n\"\n";
  for (int k = 1; k <= kMessages; ++k) {
    msg << k << " I M" << k << ' ' << Source(Local(k, 0)) << " | " << Source(Local(k, 1)) << " | "
        << Source(Local(k, 2)) << '\n';
    po << "\nmsgid \"" << English(k, false) << "\"\nmsgid_plural \"" << English(k, true) << "\"\n";
    for (int f = 0; f < 3; ++f) po << "msgstr[" << f << "] \"" << Local(k, f) << "\"\n";
  }
  return msg && po ? 0 : 1;
}

std::vector<std::string> singular, plural, local;  // the client's own strings, by k and form
qomsg_catalog* catalogue = nullptr;

int QomsgPlural(int k, unsigned long n, char* buf, std::size_t size) {
  return qomsg_format_plural(catalogue, k, n, buf, size, static_cast<int>(n), kPath);
}
int QomsgStanding(int k, unsigned long n, char* buf, std::size_t size) {
  return qomsg_format(catalogue, k, buf, size, static_cast<int>(n), kPath);
}
int Gettext(int k, unsigned long n, char* buf, std::size_t size) {
  const auto i = static_cast<std::size_t>(k);
  return std::snprintf(buf, size, dngettext("pbench", singular[i].c_str(), plural[i].c_str(), n), static_cast<int>(n),
                       kPath);
}
int Array(int k, unsigned long n, char* buf, std::size_t size) {
  return std::snprintf(buf, size, local[static_cast<std::size_t>(3 * k + RussianForm(n))].c_str(), static_cast<int>(n),
                       kPath);
}

char buffer[256];
int (*format_one)(int, unsigned long, char*, std::size_t) = nullptr;

}  // namespace

extern "C" __attribute__((noinline)) long bench_calls(long count) {
  long total = 0;
  for (long i = 0; i < count; ++i)
    total += format_one(static_cast<int>((i * 7919 + 13) % kMessages) + 1, static_cast<unsigned long>(i % 200), buffer,
                        sizeof buffer);
  return total;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "generate") == 0) return Generate(argv[2]);
  if (argc != 4) {
    std::fprintf(stderr, "usage: plural_bench generate DIR | plural_bench qomsg-plural|qomsg|gettext|array DIR CALLS\n");
    return 2;
  }
  const std::string name = argv[1], dir = argv[2];
  singular.resize(kMessages + 1);
  plural.resize(kMessages + 1);
  local.resize(3 * (kMessages + 1));
  for (int k = 1; k <= kMessages; ++k) {
    singular[static_cast<std::size_t>(k)] = English(k, false);
    plural[static_cast<std::size_t>(k)] = English(k, true);
    for (int f = 0; f < 3; ++f) local[static_cast<std::size_t>(3 * k + f)] = Local(k, f);
  }
  std::setlocale(LC_ALL, "C.UTF-8");
  setenv("LANGUAGE", "ru", 1);
  if (name == "qomsg-plural" || name == "qomsg") {
    if (qomsg_open_file((dir + "/plural.obj").c_str(), &catalogue, nullptr, 0) != QOMSG_OK) return 1;
    format_one = name == "qomsg" ? QomsgStanding : QomsgPlural;
  } else if (name == "gettext") {
    if (bindtextdomain("pbench", (dir + "/locale").c_str()) == nullptr) return 1;
    format_one = Gettext;
  } else if (name == "array") {
    format_one = Array;
  } else {
    return 2;
  }
  // Every library prints the form the count takes (the standing one always for qomsg).
  for (const unsigned long n : {0UL, 1UL, 3UL, 11UL, 21UL, 104UL}) {
    char want[256];
    const unsigned long chosen = name == "qomsg" ? 5 : n;
    std::snprintf(want, sizeof want, Local(7, RussianForm(chosen)).c_str(), static_cast<int>(n), kPath);
    format_one(7, n, buffer, sizeof buffer);
    if (std::strcmp(buffer, want) != 0) {
      std::fprintf(stderr, "%s: n = %lu prints \"%s\", not \"%s\"\n", name.c_str(), n, buffer, want);
      return 1;
    }
  }
  const long calls = std::atol(argv[3]);
  timespec start{}, end{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  const long total = bench_calls(calls);
  clock_gettime(CLOCK_MONOTONIC, &end);
  const double ns = (static_cast<double>(end.tv_sec - start.tv_sec) * 1e9 + static_cast<double>(end.tv_nsec - start.tv_nsec));
  std::printf("%s %.1f %ld\n", name.c_str(), ns / static_cast<double>(calls), total);
  qomsg_close(catalogue);
  return 0;
}
