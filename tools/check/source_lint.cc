#include "source_lint.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "file_bytes.h"
#include "inserts.h"
#include "merge_sources.h"
#include "msgstate.h"
#include "msgsym.h"
#include "objfile.h"
#include "plural_messages.h"
#include "signature.h"
#include "source_diagnostics.h"
#include "source_reader.h"
#include "state_scope.h"
#include "utf8.h"

namespace qokit::check {

namespace {

const char* SourceName(int32_t index) { return msgcomp::msgState->srcFileNames[index]; }

// "line 12", or "b.msg:3" when the place is in another source than `own`.
std::string PlaceBeside(msgcomp::SourcePlace place, msgcomp::SourcePlace own) {
  std::string text;
  if (place.file != own.file) {
    text.append(SourceName(place.file)).append(":").append(std::to_string(place.line));
  } else if (place.line != own.line) {
    text.append("line ").append(std::to_string(place.line));
  }
  return text;
}

// Turns the faults that the parser and the insert checks report into
// findings at the entry they belong to.
class LintReporter final : public msgcomp::SourceDiagnostics {
 public:
  LintReporter(Findings& out, LintResult& result) : out_(out), result_(result) {}

  // The entry whose text goes to the insert checks next.
  void SetEntry(const Where& where) { entry_ = where; }

  void SyntaxError(const msgcomp::SyntaxFault& fault) override {
    const msgcomp::SourcePlace own = fault.inEntry ? fault.entry : fault.at;
    faultPlace_ = own;
    faultSymbol_ = fault.symbol != nullptr ? fault.symbol : "";
    SaySyntax(out_, {SourceName(own.file), own.line, faultSymbol_}, fault, PlaceBeside(fault.at, own));
    if (!faultSymbol_.empty()) result_.brokenSymbols.push_back(faultSymbol_);
  }
  void KeptBackslash(msgcomp::SourcePlace at, int next) override { backslashes_.push_back({at, next}); }
  void InPluralForm(int form) override { form_ = form; }
  void InsertError(msgcomp::InsertFault fault, int conversion) override {
    SayInsert(out_, entry_, fault, conversion, form_);
  }
  void CompileError(msgcomp::CompileFault fault, int conversion) override {
    SayCompile(out_, entry_, fault, conversion, form_);
  }
  void PluralError(const msgcomp::PluralFault& fault) override {
    SayPlural(out_, {SourceName(fault.at.file), fault.at.line, fault.symbol}, msgcomp::PluralFaultText(fault));
  }

  // After each entry: its kept backslashes, at the entry that was read (or
  // refused by the syntax error just reported).
  void FlushBackslashes(const msgcomp::MessageRecord* entry) {
    const msgcomp::SourcePlace own = entry != nullptr ? msgcomp::SourcePlace{entry->srcIndex, entry->line} : faultPlace_;
    const std::string_view symbol = entry != nullptr ? std::string_view(entry->symbol) : faultSymbol_;
    for (const auto& [at, next] : backslashes_) {
      SayKeptBackslash(out_, {SourceName(own.file), own.line, symbol}, next, PlaceBeside(at, own));
    }
    backslashes_.clear();
  }

 private:
  struct Backslash {
    msgcomp::SourcePlace at;
    int next;
  };
  Findings& out_;
  LintResult& result_;
  Where entry_;
  int form_ = -1;
  msgcomp::SourcePlace faultPlace_;
  std::string faultSymbol_;
  std::vector<Backslash> backslashes_;
};

bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

void WarnLikelyWrong(Findings& out, const Where& where, const msgcomp::MessageRecord& entry, TextsOf texts) {
  const long bytes = static_cast<long>(std::strlen(entry.text));
  const long projected = ProjectedTranslationBytes(entry.text);
  // A translated text has its length already; past the limit the parser refuses it.
  if (texts == TextsOf::kBase && projected > msgcomp::kMaxTextLen) {
    SayNoRoomToTranslate(out, where, bytes, projected, msgcomp::kMaxTextLen);
  }
  if (const long at = qokit::format::InvalidUtf8Offset(entry.text); at >= 0) SayInvalidUtf8(out, where, "text", at);
  if (const long at = qokit::format::InvalidUtf8Offset(entry.response); at >= 0) SayInvalidUtf8(out, where, "response", at);
  if (std::strstr(entry.text, " \n") != nullptr || std::strstr(entry.text, "\t\n") != nullptr) {
    SayBlankBeforeLineEnd(out, where);
  }
}

// A meta-symbol the object file takes: a format code or the plural rule's.
bool IsSettingName(const char* name) {
  return std::strcmp(name, msgcomp::kPluralFormsMeta) == 0 || std::strcmp(name, msgcomp::kLanguageMeta) == 0 ||
         std::any_of(std::begin(msgcomp::kFormatCodeRules), std::end(msgcomp::kFormatCodeRules),
                     [&](const msgcomp::FormatCodeRule& rule) { return std::strcmp(rule.name, name) == 0; });
}

// One entry of the pass: into the table as the compiler's first pass enters
// it, then the checks of both of the compiler's passes over its text (also
// for a duplicate, so that every fault shows in one run).
void CheckEntry(const msgcomp::MessageRecord& entry, LintReporter& reporter, Findings& out, LintResult& result,
                std::vector<long>& blocks, TextsOf texts) {
  const Where where{SourceName(entry.srcIndex), entry.line, entry.symbol};
  const msgcomp::MergeOutcome merged = MergeEntry(entry);
  switch (merged.kind) {
    case msgcomp::MergeOutcome::Kind::kEntered: break;
    case msgcomp::MergeOutcome::Kind::kMeta: {
      if (!IsSettingName(entry.symbol)) SayUnknownMeta(out, where);
      msgcomp::PluralMessage unused;
      (void)msgcomp::CheckPluralEntry(entry, unused);  // a meta-symbol with forms
      return;
    }
    case msgcomp::MergeOutcome::Kind::kDuplicateMeta: {
      const msgcomp::MsgMetaSymbol& earlier = *merged.earlierMeta;
      SayDuplicateMeta(out, where, {SourceName(earlier.srcIndex), earlier.line, earlier.name});
      return;
    }
    case msgcomp::MergeOutcome::Kind::kDuplicateNumber:
    case msgcomp::MergeOutcome::Kind::kDuplicateName: {
      const msgcomp::MsgSymbol& earlier = *merged.earlier;
      const Where earlierWhere{SourceName(earlier.srcIndex), earlier.line, earlier.name};
      if (merged.kind == msgcomp::MergeOutcome::Kind::kDuplicateNumber) {
        SayDuplicateNumber(out, where, entry.msgNum, earlierWhere);
      } else {
        SayDuplicateSymbol(out, where, earlier.msgNum, earlierWhere);
      }
      break;
    }
  }
  CheckedMessage message{entry.msgNum, entry.severity, entry.symbol, entry.response, false, {}, entry.srcIndex,
                         entry.line};
  reporter.SetEntry(where);
  long entryBlocks = 0;
  const msgcomp::PluralForms& forms = msgcomp::msgState->plural;
  if (forms.count > 0 || forms.countArgument > 0) {
    msgcomp::PluralMessage plural;
    if (msgcomp::CheckPluralEntry(entry, plural) == 0) {
      // Every stored form has the message's signature; each is compiled as genobj compiles it.
      message.sound = qokit::format::TextSignature(plural.stored[0].c_str(), message.signature);
      message.forms = static_cast<int>(plural.stored.size());
      message.countArgument = plural.countArgument;
      for (std::size_t f = 0; f < plural.stored.size(); ++f) {
        const std::string& text = plural.stored[f];
        std::vector<unsigned char> work(msgcomp::CompiledSizeBound(text.size()));
        reporter.InPluralForm(static_cast<int>(f));
        const size_t length = msgcomp::CompileMessageText(text.c_str(), work.data(), work.size());
        message.sound = message.sound && length > 0;
        entryBlocks += msgcomp::BlockCount(static_cast<long>(std::strlen(entry.response) + length));
      }
      reporter.InPluralForm(-1);
      if (merged.kind == msgcomp::MergeOutcome::Kind::kEntered) result.plurals.push_back(std::move(plural));
    }
    for (int f = 0; f < forms.count; ++f) {
      msgcomp::MessageRecord form = entry;
      std::memcpy(form.text, forms.text[f].data(), sizeof form.text);
      WarnLikelyWrong(out, where, form, texts);
    }
    if (merged.kind != msgcomp::MergeOutcome::Kind::kEntered) return;
    result.messages.push_back(std::move(message));
    blocks.push_back(entryBlocks);
    return;
  }
  if (msgcomp::CheckInserts(entry.text) == 0) {
    std::vector<unsigned char> work(msgcomp::CompiledSizeBound(std::strlen(entry.text)));
    const size_t length = msgcomp::CompileMessageText(entry.text, work.data(), work.size());
    if (length > 0) {
      message.sound = qokit::format::TextSignature(entry.text, message.signature);
      entryBlocks = msgcomp::BlockCount(static_cast<long>(std::strlen(entry.response) + length));
    }
  }
  WarnLikelyWrong(out, where, entry, texts);
  if (merged.kind != msgcomp::MergeOutcome::Kind::kEntered) return;
  result.messages.push_back(std::move(message));
  blocks.push_back(entryBlocks);
}

// Format codes as genobj checks them once both passes are through.
void CheckFormatCodes(Findings& out) {
  for (const msgcomp::FormatCodeRule& rule : msgcomp::kFormatCodeRules) {
    const msgcomp::MsgMetaSymbol* meta = msgcomp::FindMetaSymbol(rule.name);
    if (meta == nullptr || msgcomp::FormatCodeValue(meta->value, rule.highest) != 0) continue;
    SayFormatCode(out, {SourceName(meta->srcIndex), meta->line, meta->name}, rule.kind, meta->value, rule.highest);
  }
}

// The object file's block numbers are 16 bits wide: a catalogue whose texts
// take more blocks cannot be indexed. Blocks count in number order, so the
// finding names the first message that lies beyond the last block. A plural
// catalogue's plural table comes last, above every form, and the index
// reaches it; a message's other forms are counted with the message.
void CheckCatalogueSize(Findings& out, const LintResult& result, const std::vector<long>& blocks,
                        const format::PluralRule& rule, const std::string& ruleText) {
  if (result.messages.empty() || std::count(blocks.begin(), blocks.end(), 0L) > 0) return;
  std::vector<std::size_t> order(result.messages.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return result.messages[a].number < result.messages[b].number; });
  long lastNumber = result.messages[order.back()].number;
  long tableBlocks = 0;
  if (!result.plurals.empty() && result.pluralForms > 0) {
    const msgcomp::PluralNumbering numbering = msgcomp::NumberPluralForms(
        result.plurals, static_cast<int32_t>(lastNumber), rule.forms(), format::FactsOf(rule).standing);
    std::string table;
    if (format::WritePluralTable(ruleText, numbering.entries, table)) {
      lastNumber = numbering.tableNumber;
      tableBlocks = msgcomp::BlockCount(static_cast<long>(table.size()));
    }
  }
  long total = 1 + qokit::format::IndexBlocks(lastNumber);
  for (const std::size_t i : order) {
    total += blocks[i] + (i == order.back() ? tableBlocks : 0);
    if (total <= qokit::format::kMaxBlocks) continue;
    const CheckedMessage& m = result.messages[i];
    SayTooManyBlocks(out, {SourceName(m.file), m.line, m.symbol}, total, qokit::format::kMaxBlocks);
    return;
  }
}

}  // namespace

long ProjectedTranslationBytes(const char* text) {
  long letters = 0;
  const char* rest = text;
  qokit::format::InsertSpan span;
  const auto countLetters = [&](const char* from, const char* to) {
    for (; from < to; ++from) letters += IsAsciiLetter(static_cast<unsigned char>(*from)) ? 1 : 0;
  };
  while (qokit::format::NextInsert(rest, span) && span.end != nullptr) {
    countLetters(rest, span.at);
    rest = span.end;
  }
  countLetters(rest, rest + std::strlen(rest));
  return static_cast<long>(std::strlen(text)) + (3 * letters + 1) / 2;
}

bool LintSources(std::span<const char* const> files, Findings& out, LintResult& result, TextsOf texts) {
  result = LintResult{};
  if (files.size() > static_cast<std::size_t>(msgcomp::kMaxSourceFiles)) {
    SayTooManySources(out, msgcomp::kMaxSourceFiles);
    return false;
  }
  msgcomp::CompilerStateScope scope;
  if (!scope.ok()) {
    SayNoMemory(out);
    return false;
  }
  msgcomp::MsgCompilerState& st = scope.state();
  for (const char* name : files) {
    st.srcFileNames[st.numSrcFiles] = name;
    st.srcFiles[st.numSrcFiles++] = io::OpenInputFile(name, "r");
    if (st.srcFiles[st.numSrcFiles - 1] == nullptr) {
      SayCannotOpen(out, name, errno);
      return false;
    }
    result.files.emplace_back(name);
  }
  LintReporter reporter(out, result);
  st.diagnostics = &reporter;
  std::vector<long> blocks;
  msgcomp::RewindSources();
  auto entry = std::make_unique<msgcomp::MessageRecord>();
  bool any = false;
  for (int read; (read = msgcomp::ReadMessage(*entry)) >= 0;) {
    any = true;
    reporter.FlushBackslashes(read == 0 ? entry.get() : nullptr);
    if (read == 0) CheckEntry(*entry, reporter, out, result, blocks, texts);
  }
  if (!any) SayNoEntries(out, files);
  CheckFormatCodes(out);
  int32_t highest = 0;
  for (const CheckedMessage& m : result.messages) highest = std::max(highest, m.number);
  if (any) (void)msgcomp::CheckPluralCatalogue(result.plurals, highest);
  format::PluralRule rule;
  std::string rule_text;
  msgcomp::PluralFault unused;
  if (msgcomp::CatalogueRule(rule, rule_text, unused)) result.pluralForms = rule.forms();
  CheckCatalogueSize(out, result, blocks, rule, rule_text);
  result.maxInserts = st.maxInserts;
  return true;
}

}  // namespace qokit::check
