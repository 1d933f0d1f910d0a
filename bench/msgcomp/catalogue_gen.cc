// Writes a large, realistic message catalogue for the qogenmsg benchmark:
// N messages over F source files (numbers shuffled across the files), short
// texts with inserts in and out of argument order, responses, comments and
// meta-symbols; plus the equivalent gettext .po file for msgfmt.
// With "plural", one message in ten whose inserts are in argument order is
// a Russian plural message of three forms naming its appended count with
// {@k} (msgid_plural and msgstr[0..2] in the PO file); the rest of the
// catalogue is the same.
//
// Usage: catalogue_gen <messages> <files> <output-dir> [plural]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kWords[] = {"backup", "object", "file", "server", "session", "volume", "node", "archive",
                              "restore", "retry", "space", "policy", "domain", "client", "data", "queue",
                              "the", "was", "not", "is", "for", "in", "on", "completed", "failed", "skipped"};
const char* const kConversions[] = {"%s", "%d", "%ld", "%5.2f", "%lu", "%x", "%-8s", "%*d"};
const char* const kResponses[] = {"Yes", "No", "RTC", "Y", "NQ"};
const char kSeverities[] = "ZTRKIWESL";

struct Message {
  int number;
  std::string symbol;
  char severity;
  std::string response;
  std::string text;  // with "@n%c" inserts
  std::string po;    // the same text as a printf format for gettext
  int inserts = 0;
  bool shuffled = false;
};

constexpr char kRussianRule[] =
    "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<12 || n%100>14) ? 1 : 2);";
const char* const kFormWords[] = {"file", "files", "of files"};

Message MakeMessage(int number, std::mt19937& rng) {
  Message m;
  m.number = number;
  m.symbol = "MSG_" + std::string(kWords[rng() % 8]) + "_" + std::to_string(number);
  for (char& c : m.symbol) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  m.severity = kSeverities[rng() % 9];
  if (rng() % 10 < 3) m.response = kResponses[rng() % 5];
  const int inserts = rng() % 10 < 4 ? 1 + static_cast<int>(rng() % 3) : 0;
  std::vector<int> order(inserts);
  for (int i = 0; i < inserts; ++i) order[i] = i + 1;
  const bool shuffled = inserts > 1 && rng() % 10 < 3;
  if (shuffled) std::reverse(order.begin(), order.end());
  const size_t length = 24 + rng() % 44;
  int next = 0;
  while (m.text.size() < length) {
    const std::string word = kWords[rng() % std::size(kWords)];
    m.text += word + " ";
    m.po += word + " ";
    if (next < inserts && rng() % 3 == 0) {
      const char* conv = kConversions[rng() % std::size(kConversions)];
      const int arg = order[next++];
      m.text += "@" + std::to_string(arg) + conv + " ";
      std::string posConv = conv;
      if (shuffled) posConv.insert(1, std::to_string(arg) + "$");
      if (shuffled && posConv.find('*') != std::string::npos) posConv = std::string("%") + std::to_string(arg) + "$d";
      m.po += posConv + " ";
    }
  }
  for (; next < inserts; ++next) {
    // Appended piece by piece: GCC 12's optimiser misreads a literal joined
    // to a temporary string as an overlapping copy.
    m.text.append("@").append(std::to_string(order[next])).append("%s");
    m.po += shuffled ? "%" + std::to_string(order[next]) + "$s" : std::string("%s");
  }
  m.inserts = inserts;
  m.shuffled = shuffled;
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  const bool plural = argc == 5 && std::string(argv[4]) == "plural";
  if (argc != 4 && !plural) {
    std::fprintf(stderr, "usage: %s <messages> <files> <output-dir> [plural]\n", argv[0]);
    return 2;
  }
  const int count = std::atoi(argv[1]);
  const int files = std::atoi(argv[2]);
  const std::string dir = argv[3];
  if (count < 1 || count > 49999 || files < 1 || files > 15) {
    std::fprintf(stderr, "need 1..49999 messages and 1..15 files\n");
    return 2;
  }
  std::mt19937 rng(20261207);
  std::vector<int> numbers(count);
  for (int i = 0; i < count; ++i) numbers[i] = i + 1;
  std::shuffle(numbers.begin(), numbers.end(), rng);

  std::vector<std::ofstream> sources;
  std::string list = "catalogue.h";
  for (int f = 0; f < files; ++f) {
    const std::string name = "part" + std::to_string(f) + ".msg";
    sources.emplace_back(dir + "/" + name, std::ios::binary);
    sources.back() << "/* Message catalogue, part " << f << " */\n";
    list += " " + name;
  }
  sources[0] << "0 I DATEFORMAT \"3\"\n0 I TIMEFORMAT \"2\"\n0 I NUMBERFORMAT \"4\"\n0 I PRODUCT \"Backup client\"\n";
  if (plural) sources[0] << "0 I LANGUAGE \"ru\"\n";
  std::ofstream po(dir + "/catalogue.po", std::ios::binary);
  po << "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n";
  if (plural) po << "\"Plural-Forms: " << kRussianRule << "\\n\"\n";
  po << "\n";
  for (int i = 0; i < count; ++i) {
    const Message m = MakeMessage(numbers[i], rng);
    std::ofstream& out = sources[i % files];
    if (i % 50 == 0) out << "\n/* " << kWords[rng() % std::size(kWords)] << " messages */\n";
    out << m.number << ' ' << m.severity << ' ' << m.symbol;
    if (!m.response.empty()) out << " [" << m.response << ']';
    if (plural && i % 10 == 0 && !m.shuffled) {
      const std::string countInsert = std::string("@").append(std::to_string(m.inserts + 1)).append("%d ");
      out << " {@" << m.inserts + 1 << '}';
      po << "#, c-format\nmsgctxt \"" << m.symbol << "\"\nmsgid \"" << m.po << "%d " << kFormWords[0]
         << "\"\nmsgid_plural \"" << m.po << "%d " << kFormWords[2] << "\"\n";
      for (int f = 0; f < 3; ++f) {
        out << (f == 0 ? " \"" : "\n  | \"") << m.text << countInsert << kFormWords[f] << '"';
        po << "msgstr[" << f << "] \"" << m.po << "%d " << kFormWords[f] << "\"\n";
      }
      out << '\n';
      po << '\n';
      continue;
    }
    out << " \"" << m.text << "\"\n";
    po << "#, c-format\nmsgctxt \"" << m.symbol << "\"\nmsgid \"" << m.po << "\"\nmsgstr \"" << m.po << "\"\n\n";
  }
  std::ofstream(dir + "/sources.txt") << list << "\n";
  return 0;
}
