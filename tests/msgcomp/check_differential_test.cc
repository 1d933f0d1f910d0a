// The checker against the compiler: for the corpus sources and random
// mutations of them, the checker finds no error exactly when
// `qogenmsg regensym` and `qogenmsg genobj` build the catalogue, the highest
// insert count is the symbol file's _MAX_INSERTS, and when both refuse the
// sources the checker's first error of the compiler's failing stage is where
// the compiler stopped.
//
// The compiler's stages run in order (first pass: syntax, duplicates and
// inserts; second pass: compiled forms; then format codes; then the size of
// the object file) and it stops in the first one that fails, while the
// checker reports every stage; so only the findings of the stage the
// compiler failed in are compared. One legitimate difference: sources
// without a numbered message make regensym write no symbol file, so genobj
// cannot run, while the checker finds nothing wrong with them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "check_runner.h"
#include "run_program.h"

namespace {

namespace fs = std::filesystem;
using qokit::check::Topic;

enum class Stage { kNone, kFirstPass, kSecondPass, kFormatCode, kSize };

Stage StageOf(Topic topic) {
  switch (topic) {
    case Topic::kSyntax: case Topic::kDuplicate: case Topic::kInsert: return Stage::kFirstPass;
    case Topic::kCompile: return Stage::kSecondPass;
    case Topic::kFormatCode: return Stage::kFormatCode;
    case Topic::kSize: return Stage::kSize;
    default: return Stage::kNone;
  }
}

// Where the compiler stopped, from its first diagnostic.
struct Stop {
  Stage stage = Stage::kNone;
  enum class Kind { kSyntax, kEnd, kInsert, kDuplicate, kCompile, kFormat, kSize } kind = Kind::kSyntax;
  std::string file;
  long line = 0;
  int conversion = 0;  // of an insert fault; 0 for one that names none
};

Stop CompilerStop(const std::string& err, const std::vector<std::string>& names) {
  struct Pattern {
    Stage stage;
    Stop::Kind kind;
    std::regex regex;  // groups: file, line, or for an insert line, file index and conversion
  };
  static const Pattern kPatterns[] = {
      {Stage::kFirstPass, Stop::Kind::kSyntax, std::regex(R"(Missing or invalid [a-z ]+ - file (\S+), line (\d+)\.)")},
      {Stage::kFirstPass, Stop::Kind::kEnd, std::regex(R"(End of file (\S+) reached prematurely)")},
      {Stage::kFirstPass, Stop::Kind::kDuplicate,
       std::regex(R"(Error: Duplicate [^\n]*\n[^\n]*\n[^\n]*file (\S+), line (\d+))")},
      {Stage::kFirstPass, Stop::Kind::kInsert,
       std::regex(R"(curSourceLine: (\d+) \ncurSourceFile: (\d+) \n(Conversion (\d+))?)")},
      {Stage::kSecondPass, Stop::Kind::kCompile, std::regex(R"(Message num: \d+, line (\d+))")},
      {Stage::kFormatCode, Stop::Kind::kFormat, std::regex(R"(Invalid [a-z]+ format code found in file (\S+), line (\d+))")},
      {Stage::kSize, Stop::Kind::kSize, std::regex(R"(blocks; at most)")},
  };
  // The first diagnostic of the output is the compiler's stop.
  Stop stop;
  std::size_t earliest = std::string::npos;
  for (const Pattern& p : kPatterns) {
    std::smatch m;
    if (!std::regex_search(err, m, p.regex) || static_cast<std::size_t>(m.position(0)) >= earliest) continue;
    earliest = static_cast<std::size_t>(m.position(0));
    stop = Stop{p.stage, p.kind, "", 0, 0};
    if (p.kind == Stop::Kind::kInsert) {
      const auto index = static_cast<std::size_t>(std::stoi(m[2]));
      stop.file = index < names.size() ? names[index] : std::string("(end)");
      stop.line = std::stol(m[1]);
      stop.conversion = m[4].matched ? std::stoi(m[4]) : 0;
    } else if (p.kind == Stop::Kind::kCompile) {
      stop.line = std::stol(m[1]);
    } else if (m.size() > 2) {
      stop.file = m[1];
      stop.line = std::stol(m[2]);
    } else if (m.size() > 1) {
      stop.file = m[1];
    }
  }
  return stop;
}

// Where a syntax finding's offending byte stood: its own place unless the
// text says "(at line N)" or "(at FILE:N)".
std::pair<std::string, long> SyntaxAt(const qokit::check::Finding& f) {
  std::smatch m;
  if (std::regex_search(f.text, m, std::regex(R"(\(at line (\d+)\)$)"))) return {f.file, std::stol(m[1])};
  if (std::regex_search(f.text, m, std::regex(R"(\(at (\S+):(\d+)\)$)"))) return {m[1], std::stol(m[2])};
  return {f.file, f.line};
}

int ConversionIn(const std::string& text) {
  std::smatch m;
  if (std::regex_search(text, m, std::regex(R"((?:insert|conversion) (\d+))"))) return std::stoi(m[1]);
  return 0;
}

// Index of a source name in reading order (the end counts as past the last).
std::size_t Order(const std::vector<std::string>& names, const std::string& name) {
  return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
}

// How the cases went: the compiler's successes, and its stops by kind.
struct Tally {
  int built = 0;
  std::map<Stop::Kind, int> stops;
};

void Compare(const Sources& sources, Tally& tally) {
  CheckRun run;
  qokit::check::Findings findings;
  qokit::check::LintResult lint;
  ASSERT_TRUE(run.Lint(sources, findings, lint));
  std::vector<std::string> args = {"regensym", "s.h"}, names;
  for (const auto& [name, bytes] : sources) {
    args.push_back(name);
    names.push_back(name);
  }
  const RunResult gensym = RunProgram(QOGENMSG_PATH, args, InDir(run.dir().path()));
  args[0] = "genobj";
  args.insert(args.begin() + 2, "o.obj");
  const bool noSymbols = gensym.status == 0 && !run.dir().Exists("s.h");
  const RunResult genobj = noSymbols ? RunResult{} : RunProgram(QOGENMSG_PATH, args, InDir(run.dir().path()));
  const std::string trace = Printed(findings) + "--- qogenmsg:\n" + gensym.err + genobj.err;
  SCOPED_TRACE(trace);

  if (noSymbols || genobj.status == 0) {
    ++tally.built;
    EXPECT_EQ(findings.errors(), 0);
    if (!noSymbols) {
      std::smatch m;
      const std::string header = run.dir().Read("s.h");
      ASSERT_TRUE(std::regex_search(header, m, std::regex(R"(_MAX_INSERTS +(\d+))")));
      EXPECT_EQ(lint.maxInserts, std::stoi(m[1]));
    }
    return;
  }
  ASSERT_GT(findings.errors(), 0);
  const Stop stop = CompilerStop(gensym.status != 0 ? gensym.err : genobj.err, names);
  ASSERT_NE(stop.stage, Stage::kNone) << "no known stop in the compiler's output";
  ++tally.stops[stop.kind];
  const qokit::check::Finding* first = nullptr;
  for (const qokit::check::Finding& f : findings.all()) {
    if (f.severity != qokit::check::Severity::kError) continue;
    const Stage stage = StageOf(f.topic);
    ASSERT_GE(static_cast<int>(stage), static_cast<int>(stop.stage)) << "an error of a stage the compiler passed";
    if (stage == stop.stage && first == nullptr) first = &f;
  }
  ASSERT_NE(first, nullptr);
  switch (stop.kind) {
    case Stop::Kind::kSyntax:
      ASSERT_EQ(first->topic, Topic::kSyntax);
      EXPECT_EQ(SyntaxAt(*first), std::make_pair(stop.file, stop.line));
      break;
    case Stop::Kind::kEnd:
      ASSERT_EQ(first->topic, Topic::kSyntax);
      EXPECT_NE(first->text.find("the sources end"), std::string::npos);
      break;
    case Stop::Kind::kDuplicate:
      ASSERT_EQ(first->topic, Topic::kDuplicate);
      EXPECT_EQ(std::make_pair(first->file, first->line), std::make_pair(stop.file, stop.line));
      break;
    case Stop::Kind::kInsert: {
      ASSERT_EQ(first->topic, Topic::kInsert);
      EXPECT_EQ(ConversionIn(first->text), stop.conversion);
      // The compiler names where its reader stands after the entry.
      const auto entry = std::make_pair(Order(names, first->file), first->line);
      EXPECT_LE(entry, std::make_pair(Order(names, stop.file), stop.line));
      break;
    }
    case Stop::Kind::kCompile:
      ASSERT_EQ(first->topic, Topic::kCompile);
      EXPECT_EQ(first->line, stop.line);
      break;
    case Stop::Kind::kFormat:
      EXPECT_EQ(std::make_pair(first->file, first->line), std::make_pair(stop.file, stop.line));
      break;
    case Stop::Kind::kSize:
      break;
  }
}

std::vector<std::string> Seeds() {
  const fs::path root(QOKIT_SOURCE_DIR);
  std::vector<std::string> seeds;
  std::vector<fs::path> files;
  for (const char* dir : {"fuzz/corpus/msg_sources", "fuzz/corpus/msg_inserts"}) {
    for (const auto& entry : fs::directory_iterator(root / dir)) files.push_back(entry.path());
  }
  for (const char* file : {"examples/messages/client.msg", "examples/messages/admin.msg", "examples/kit/demo.msg"}) {
    files.push_back(root / file);
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::string bytes = ReadFileBytes(file);
    // An insert seed is a text: it becomes one entry between two sound ones.
    if (file.parent_path().filename() == "msg_inserts") bytes = "1 I A \"a\"\n2 E T \"" + bytes + "\"\n3 I B \"b\"\n";
    seeds.push_back(bytes);
  }
  // The stages after the first pass, which random edits seldom reach.
  seeds.push_back("1 I A \"@1%s\"\n2 E B \"@2%d @1%Lf\"\n3 I C \"@1%*.*.*d\"\n");
  seeds.push_back("0 I DATEFORMAT \"5\"\n0 I TIMEFORMAT \"9\"\n1 I A \"a\"\n");
  return seeds;
}

// One random edit of the kind that breaks sources: a byte that matters to
// the syntax or the inserts put in, a byte or a line taken out or doubled.
std::string Mutate(std::string bytes, std::mt19937& random) {
  static const std::string kBytes = "\"/*[]\\@%0123456789 eEIxlL*.\n";
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(random); };
  const std::size_t at = bytes.empty() ? 0 : pick(bytes.size() - 1);
  switch (pick(3)) {
    case 0: bytes.insert(at, 1, kBytes[pick(kBytes.size() - 1)]); break;
    case 1: if (!bytes.empty()) bytes.erase(at, 1); break;
    case 2: {
      const std::size_t start = bytes.rfind('\n', at) == std::string::npos ? 0 : bytes.rfind('\n', at) + 1;
      const std::size_t end = std::min(bytes.size(), bytes.find('\n', at) + 1);
      bytes.insert(pick(bytes.size()), bytes.substr(start, end - start));
      break;
    }
    default: bytes.replace(at, std::min<std::size_t>(1, bytes.size() - at), "@"); break;
  }
  return bytes;
}

TEST(CheckerAgreesWithCompiler, OnTheCorpus) {
  Tally tally;
  for (const std::string& seed : Seeds()) Compare(Named({seed}), tally);
  EXPECT_GT(tally.built, 0);
}

TEST(CheckerAgreesWithCompiler, OnMutatedSources) {
  Tally tally;
  std::mt19937 random(20261208);
  const std::vector<std::string> seeds = Seeds();
  for (int round = 0; round < 200; ++round) {
    std::string bytes = seeds[static_cast<std::size_t>(round) % seeds.size()];
    const int edits = 1 + round % 3;
    for (int i = 0; i < edits; ++i) bytes = Mutate(bytes, random);
    // Every fourth case is split into two sources, read as one stream.
    if (round % 4 == 3) {
      const std::size_t cut = bytes.size() / 2 + static_cast<std::size_t>(round % 7);
      const std::size_t split = std::min(cut, bytes.size());
      Compare(Named({bytes.substr(0, split), bytes.substr(split)}), tally);
    } else {
      Compare(Named({bytes}), tally);
    }
    if (testing::Test::HasFatalFailure()) return;
  }
  // The mutations reach both outcomes and the compiler's kinds of stop.
  EXPECT_GT(tally.built, 10);
  for (const Stop::Kind kind : {Stop::Kind::kSyntax, Stop::Kind::kEnd, Stop::Kind::kInsert, Stop::Kind::kDuplicate,
                                Stop::Kind::kCompile}) {
    EXPECT_GT(tally.stops[kind], 0) << static_cast<int>(kind);
  }
}

}  // namespace
