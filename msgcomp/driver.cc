#include "driver.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "compile_clock.h"
#include "messages.h"
#include "msgstate.h"
#include "msgsym.h"
#include "qokit/nls/nlsstr.h"
#include "objfile.h"
#include "response_file.h"
#include "source_reader.h"
#include "state_scope.h"
#include "symfile.h"

namespace qokit::msgcomp {

MsgCompilerState* msgState = nullptr;

namespace {

constexpr int kCommandLineError = 255;
constexpr int kNoMemory = 2;
constexpr size_t kSubcommandSize = 100;

enum class Subcommand { kGensym, kRegensym, kGenobj };

// The response-file word list; frees its owned words whatever way the run ends.
struct ResponseList {
  char* words[kResponseListSize] = {};
  int count = 0;
  ~ResponseList() { FreeResponseWords(count, words); }
};

// A command-line fault: its message, then the usage.
int UsageError(void (*say)()) {
  say();
  SayUsage();
  return kCommandLineError;
}

}  // namespace

int CheckDuplicateNames() {
  const MsgCompilerState& st = *msgState;
  auto same = [](const char* a, const char* b) { return nls.nlsStrCmp(a, b) == 0; };
  if (st.objFileName != nullptr) {
    if (same(st.objFileName, st.symFileName)) return 1;
    for (int i = 0; i < st.numSrcFiles; ++i) {
      if (same(st.objFileName, st.srcFileNames[i])) return 1;
    }
  }
  for (int i = 0; i < st.numSrcFiles; ++i) {
    if (same(st.symFileName, st.srcFileNames[i])) return 1;
    for (int j = i + 1; j < st.numSrcFiles; ++j) {
      if (same(st.srcFileNames[i], st.srcFileNames[j])) return 1;
    }
  }
  return 0;
}

int RunMessageCompiler(int argc, char** argv) {
  CompilerStateScope scope;
  if (!scope.ok()) {
    SayNoStateMemory();
    return kNoMemory;
  }
  MsgCompilerState& st = scope.state();
  if (argc < 3) return UsageError(SayTooFewArguments);

  std::unique_ptr<ResponseList> response;
  char** list = argv;
  int count = argc;
  if (argv[2][0] == '@') {
    response.reset(new (std::nothrow) ResponseList{});
    if (!response) {
      SayNoStateMemory();
      return kNoMemory;
    }
    response->words[0] = argv[0];
    response->words[1] = argv[1];
    response->count = 2;
    const int read = ReadResponseFile(argv[2] + 1, &response->count, response->words);
    // Too many words is the same fault as too many arguments on the command line.
    if (read == kResponseTooMany) return UsageError(SayTooManyArguments);
    if (read != kResponseOk) return UsageError(SayResponseFileError);
    if (response->count <= 3) return UsageError(SayTooFewArguments);
    list = response->words;
    count = response->count;
  } else if (argc < 4) {
    return UsageError(SayTooFewArguments);
  }

  // A longer word is cut to the buffer; it can then match no subcommand.
  char word[kSubcommandSize] = {};
  nls.nlsStrnCpy(word, list[1], kSubcommandSize - 1);
  word[kSubcommandSize - 1] = '\0';
  nls.nlsStrUpper(word);
  Subcommand command;
  int firstSource = 3;
  if (nls.nlsStrCmp(word, "GENSYM") == 0) {
    command = Subcommand::kGensym;
  } else if (nls.nlsStrCmp(word, "REGENSYM") == 0) {
    command = Subcommand::kRegensym;
  } else if (nls.nlsStrCmp(word, "GENOBJ") == 0) {
    command = Subcommand::kGenobj;
    firstSource = 4;
  } else {
    SayUnknownSubcommand(word);
    SayUsage();
    return kCommandLineError;
  }
  const int sources = count - firstSource;
  if (sources > kMaxSourceFiles) return UsageError(SayTooManyArguments);
  if (sources <= 0) return UsageError(SayTooFewArguments);
  st.symFileName = list[2];
  if (command == Subcommand::kGenobj) st.objFileName = list[3];
  st.numSrcFiles = sources;
  for (int i = 0; i < sources; ++i) st.srcFileNames[i] = list[firstSource + i];
  if (CheckDuplicateNames() != 0) return UsageError(SayDuplicateFileName);
  // A build that asks for reproducible output and gets the clock's time
  // would silently not be reproducible.
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); !UseSourceDateEpoch(epoch)) {
    SayBadSourceDateEpoch(epoch);
    return kCommandLineError;
  }

  if (OpenSources() != 0) return 1;
  int result = 0;
  switch (command) {
    case Subcommand::kGensym: result = GenerateSymbolFile(0); break;
    case Subcommand::kRegensym: result = GenerateSymbolFile(1); break;
    case Subcommand::kGenobj: result = GenerateObjectFile(); break;
  }
  CloseSources();
  if (result != 0) {
    const bool asksForKey = command != Subcommand::kRegensym;
    SayCompileFailed(asksForKey);
    if (asksForKey) std::getchar();
  }
  return result < 0 ? kCommandLineError : result;
}

}  // namespace qokit::msgcomp
