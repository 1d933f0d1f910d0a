#include "po_export.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "po_entry.h"
#include "po_file.h"
#include "po_messages.h"
#include "po_plural.h"
#include "source_entries.h"

namespace qokit::po {

namespace {

// Room for the header entry, which the one pass puts in front last.
constexpr std::size_t kHeaderRoom = 2048;
// Source bytes of an entry with a short text, for a guess at how many there are.
constexpr std::size_t kLeastEntryBytes = 64;

PoEntry HeaderEntry(bool pot, const BasePlurals& plurals) {
  PoEntry header;
  std::string& fields = header.msgstr.emplace_back();
  if (pot) {
    header.comments = {"Messages for translation, written by qomsgpo export.", ""};
    header.flags = {"fuzzy"};
    fields.assign("Project-Id-Version: PACKAGE VERSION\n"
                  "Report-Msgid-Bugs-To: \n"
                  "PO-Revision-Date: YEAR-MO-DA HO:MI+ZONE\n"
                  "Last-Translator: FULL NAME <EMAIL@ADDRESS>\n"
                  "Language-Team: LANGUAGE <LL@li.org>\n"
                  "Language: \n");
  } else {
    header.comments = {"The messages in their own language, written by qomsgpo export."};
  }
  fields.append("MIME-Version: 1.0\n"
                "Content-Type: text/plain; charset=UTF-8\n"
                "Content-Transfer-Encoding: 8bit\n");
  // msginit fills the placeholder in for the translator's language.
  if (pot && plurals.any) fields.append("Plural-Forms: nplurals=INTEGER; plural=EXPRESSION;\n");
  if (!pot) {
    if (!plurals.language.empty()) fields.append("Language: ").append(plurals.language).append("\n");
    if (plurals.any) fields.append("Plural-Forms: ").append(plurals.rule.plural_forms).append("\n");
  }
  return header;
}

// Bad PLURALFORMS in the sources: said where it is, before anything else.
bool RuleFails(std::span<const char* const> sources, const std::string& why) {
  if (!why.empty()) SayBadPluralRule(Where{sources[0], 0, msgcomp::kPluralFormsMeta}, why.c_str());
  return true;
}

// Each symbol seen with its kind (message or meta-symbol), for finding one
// defined twice: open addressing over keys kept in blocks that never move,
// so a symbol costs no allocation of its own.
class SymbolSet {
 public:
  // Room for about `expected` symbols without growing.
  explicit SymbolSet(std::size_t expected) {
    std::size_t size = 1024;
    while (size < 2 * expected) size *= 2;
    slots_.resize(size);
  }
  // False when the symbol of that kind is there already.
  bool Insert(bool meta, std::string_view symbol) {
    key_.assign(1, meta ? 'm' : 't').append(symbol);
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    std::string_view& slot = slots_[Find(key_)];
    if (!slot.empty()) return false;
    slot = Keep(key_);
    ++count_;
    return true;
  }

 private:
  static constexpr std::size_t kBlock = 64 * 1024;

  std::size_t Find(std::string_view key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = std::hash<std::string_view>{}(key) & mask;
    while (!slots_[at].empty() && slots_[at] != key) at = (at + 1) & mask;
    return at;
  }
  void Grow() {
    std::vector<std::string_view> old(slots_.size() * 2);
    old.swap(slots_);
    for (const std::string_view key : old) {
      if (!key.empty()) slots_[Find(key)] = key;
    }
  }
  std::string_view Keep(std::string_view key) {
    if (blocks_.empty() || kBlock - used_ < key.size()) {
      blocks_.push_back(std::make_unique<char[]>(std::max(kBlock, key.size())));
      used_ = 0;
    }
    char* at = blocks_.back().get() + used_;
    std::memcpy(at, key.data(), key.size());
    used_ += key.size();
    return {at, key.size()};
  }

  std::string key_;
  std::vector<std::string_view> slots_;  // empty: free (every key has its kind byte)
  std::size_t count_ = 0;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t used_ = 0;
};

enum class OnePass { kWritten, kFailed, kRetry };

// The usual export, one pass over the sources: each entry written as soon as
// it is read, the header put in front once the sources have said their
// language and rule. What needs a diagnostic or the rule while the pass goes
// on (any fault, a plural message) is left to the passes of ExportPo: kRetry,
// with nothing printed and `out` to be cleared. kFailed after the parser's
// message or when the rule is none, as ExportPo's first pass would fail.
OnePass ExportInOnePass(std::span<const char* const> sources, bool pot, std::size_t bytes, std::string& out,
                        std::string_view& po) {
  // The entries go after room for the header, which then ends where they begin.
  out.assign(kHeaderRoom, ' ');
  BasePlurals plurals;
  std::string plural_forms;
  SymbolSet seen(bytes / kLeastEntryBytes);
  std::string msgid;
  Signature signature;
  bool any = false, retry = false;
  const int read = msgcomp::VisitSourceEntries(sources, [&](msgcomp::SourceEntry& source) {
    any = true;
    if (retry) return;
    NoteBasePlurals(source, plurals, plural_forms);
    const bool meta = source.number == 0;
    FormatError error;
    // A text of printable ASCII is UTF-8 and needs no escape; so is then its
    // PO form, which adds only digits and "$" to it.
    const bool plain = IsPlainAscii(source.text);
    if (!source.forms.empty() || !seen.Insert(meta, source.symbol) || !(plain || IsUtf8(source.text)) ||
        !IsUtf8(source.response) || (!meta && !SourceToPo(source.text, msgid, signature, error))) {
      retry = true;
      return;
    }
    if (meta && (source.symbol == msgcomp::kPluralFormsMeta || source.symbol == msgcomp::kLanguageMeta)) return;
    out.append(1, '\n');
    WriteTextEntry(out, source, sources[static_cast<std::size_t>(source.source)], !pot, meta ? source.text : msgid,
                   plain);
  });
  if (read != 0) return OnePass::kFailed;
  if (retry || !any) return OnePass::kRetry;
  std::string why;
  if (!FinishBasePlurals(plurals, std::move(plural_forms), why) && RuleFails(sources, why)) return OnePass::kFailed;
  std::string header;
  WritePoEntry(header, HeaderEntry(pot, plurals));
  if (header.size() > kHeaderRoom) {
    out.replace(0, kHeaderRoom, header);  // a long language or rule
    po = out;
  } else {
    const std::size_t start = kHeaderRoom - header.size();
    out.replace(start, header.size(), header);
    po = std::string_view(out).substr(start);
  }
  return OnePass::kWritten;
}

}  // namespace

int ExportPo(std::span<const char* const> sources, const ExportOptions& options, std::string& out,
             std::string_view& po) {
  const bool pot = options.pot;
  out.clear();
  po = {};
  // About three times the sources (twice for a template): each text is the
  // msgid and the msgstr, and each entry has its comments and keywords.
  std::size_t bytes = 0;
  for (const char* name : sources) {
    // A file whose size is unknown (missing: the reader says so) counts nothing.
    std::error_code unknown;
    const std::uintmax_t size = std::filesystem::file_size(name, unknown);
    if (!unknown) bytes += static_cast<std::size_t>(std::min<std::uintmax_t>(size, 0xFFFFFFFFu));
  }
  out.reserve(bytes * (pot ? 5 : 6) / 2 + kHeaderRoom);
  if (!options.no_context) {
    switch (ExportInOnePass(sources, pot, bytes, out, po)) {
      case OnePass::kWritten: return 0;
      case OnePass::kFailed: return 1;
      case OnePass::kRetry: out.clear(); break;
    }
  }
  BasePlurals plurals;
  std::string why;
  if (!ReadBasePlurals(sources, plurals, why) && RuleFails(sources, why)) return 1;
  WritePoEntry(out, HeaderEntry(pot, plurals));
  // A symbol names one message and, apart, one meta-symbol: where each was first.
  std::map<std::pair<bool, std::string>, std::pair<int32_t, long>> seen;
  // Without msgctxt, the entries in order and each text's entry.
  std::vector<PoEntry> shared;
  std::map<std::string, std::size_t> by_msgid;
  int result = 0;
  bool any = false;
  PoEntry entry;
  const int read = msgcomp::VisitSourceEntries(sources, [&](msgcomp::SourceEntry& source) {
    any = true;
    const char* file = sources[static_cast<std::size_t>(source.source)];
    const Where at{file, source.line, source.symbol.c_str()};
    const auto [first, fresh] = seen.try_emplace({source.number == 0, source.symbol}, source.source, source.line);
    if (!fresh) {
      SayDuplicateSymbol(at, sources[static_cast<std::size_t>(first->second.first)], first->second.second);
      result = 1;
      return;
    }
    if (!IsUtf8(source.text) || !IsUtf8(source.response)) {
      SayNotUtf8(at);
      result = 1;
      return;
    }
    // The catalogue's language and rule are the header's.
    if (source.number == 0 && (source.symbol == msgcomp::kPluralFormsMeta || source.symbol == msgcomp::kLanguageMeta)) return;
    FormatError error;
    if (!EntryFor(source, file, !pot, plurals.rule, entry, error)) {
      if (error.fault == FormatFault::kNone) {
        SayExportFormCount(at, source.forms.size(), plurals.rule.rule.forms());
      } else {
        SayExportTextFault(at, error);
      }
      result = 1;
      return;
    }
    // Meta-symbols are settings of the catalogue, not texts: they keep their msgctxt.
    if (options.no_context && source.number != 0) {
      entry.has_context = false;
      entry.context.clear();
      // A plural entry is one text with its msgid_plural.
      std::string key = entry.msgid;
      if (entry.has_plural) key.append(1, '\0').append(entry.msgid_plural);
      const auto [slot, added] = by_msgid.try_emplace(std::move(key), shared.size());
      if (added) {
        shared.push_back(std::move(entry));
      } else {
        PoEntry& same = shared[slot->second];
        same.extracted.insert(same.extracted.end(), entry.extracted.begin(), entry.extracted.end());
        same.references.insert(same.references.end(), entry.references.begin(), entry.references.end());
      }
      return;
    }
    out.append(1, '\n');
    WritePoEntry(out, entry);
  });
  if (read != 0) return 1;
  if (!any) {
    SayNoEntries(sources);
    return 1;
  }
  for (const PoEntry& one : shared) {
    out.append(1, '\n');
    WritePoEntry(out, one);
  }
  po = out;
  return result;
}

}  // namespace qokit::po
