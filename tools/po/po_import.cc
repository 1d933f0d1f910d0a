#include "po_import.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <cstdio>
#include <functional>
#include <string_view>
#include <map>
#include <utility>
#include <vector>

#include "file_bytes.h"
#include "msgsym_types.h"
#include "objfile.h"
#include "po_entry.h"
#include "po_file.h"
#include "po_format.h"
#include "po_messages.h"
#include "po_plural.h"
#include "source_entries.h"
#include "source_reader.h"

namespace qokit::po {

namespace {

// The language a header names, when it is a plain tag that is safe inside a comment.
std::string LanguageOf(const PoEntry& header) {
  std::string language = HeaderField(header, "Language");
  for (const char c : language) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                       c == '-' || c == '@' || c == '.';
    if (!plain) return {};
  }
  return language;
}

// Whether `msgid` is `text` with every conversion numbered, as export wrote
// texts in argument order before it wrote them plain.
bool IsNumberedForm(const std::string& msgid, const std::string& text) {
  std::string numbered;
  Signature unused;
  FormatError ignored;
  return SourceToPo(text, numbered, unused, ignored, true) && numbered == msgid;
}

// Where an entry starts in the text, to read it again: 12 bytes an entry,
// so that the index of a large file stays small beside its text (which
// Load keeps below 4 GiB). The line of its first keyword, which only
// diagnostics need, is read again with it.
struct EntryRef {
  uint32_t offset = 0;
  uint32_t line = 0;   // the line before the entry's first
  int16_t uses = 0;    // base messages it gave a text to (counted up to a limit); -1: ignored
  enum class Kind : uint8_t { kUnknown, kMessage, kMeta } kind = Kind::kUnknown;  // from the facts comment
};
static_assert(sizeof(EntryRef) == 12, "an index entry stays small");

// Entries by the hash of a key (msgctxt or msgid), sorted once all are in;
// a match is confirmed by reading the entry again.
class RefIndex {
 public:
  void Add(std::string_view key, std::size_t ref) { keys_.push_back({Hash(key), static_cast<uint32_t>(ref)}); }
  void Sort() {
    keys_.shrink_to_fit();
    std::sort(keys_.begin(), keys_.end());
  }
  // The refs whose key has the hash of `key`, in file order.
  template <typename Visit>
  void ForEach(std::string_view key, Visit visit) const {
    const std::pair<uint32_t, uint32_t> low{Hash(key), 0};
    for (auto it = std::lower_bound(keys_.begin(), keys_.end(), low); it != keys_.end() && it->first == low.first;
         ++it) {
      if (!visit(it->second)) return;
    }
  }
  // Each run of two or more refs whose keys share a hash, in file order.
  template <typename Visit>
  void ForEachSharedHash(Visit visit) const {
    for (std::size_t i = 0; i < keys_.size();) {
      std::size_t j = i + 1;
      while (j < keys_.size() && keys_[j].first == keys_[i].first) ++j;
      if (j - i > 1) {
        std::vector<std::size_t> run;
        for (std::size_t k = i; k < j; ++k) run.push_back(keys_[k].second);
        visit(run);
      }
      i = j;
    }
  }

 private:
  // 32 bits: two keys that share a hash are told apart by reading them.
  static uint32_t Hash(std::string_view key) {
    const std::size_t h = std::hash<std::string_view>{}(key);
    return static_cast<uint32_t>(h ^ (h >> 32));
  }
  std::vector<std::pair<uint32_t, uint32_t>> keys_;
};

class Importer {
 public:
  Importer(const char* po_file, const ImportOptions& options) : po_file_(po_file), options_(options) {}

  // Reads and converts the file; false after a message.
  bool Load() {
    if (!qokit::io::ReadWholeFile(po_file_, text_, text_.max_size())) {
      SayCannotRead(po_file_, errno);
      return false;
    }
    long line = 0;
    std::string problem;
    if (text_.size() >= 0xFFFFFFFFu) {
      SayTooLarge(po_file_);
      return false;
    }
    if (!DecodePoFile(text_, DeclaredCharset(text_), converter_, decoding_, line, problem)) {
      SayCharset(Where{po_file_, line, ""}, problem.c_str());
      return false;
    }
    return true;
  }

  // The first pass: notes where each entry starts, by msgctxt (the symbol)
  // or, without one, by msgid. A second entry for a key is ignored. False
  // after a syntax error.
  bool Index() {
    PoReader reader(text_, decoding_);
    PoEntry entry;
    PoSyntaxError syntax;
    while (true) {
      EntryRef ref;
      ref.offset = static_cast<uint32_t>(reader.offset());
      ref.line = static_cast<uint32_t>(reader.line());
      if (!reader.Next(entry, syntax)) break;
      ResolveConversions(entry);
      if (entry.IsHeader()) {
        if (!header_seen_) {
          language_ = LanguageOf(entry);
          header_line_ = entry.line;
          rule_sound_ = RuleOfHeader(entry, rule_, rule_why_);
        }
        header_seen_ = true;
        continue;
      }
      any_plural_ = any_plural_ || entry.has_plural;
      EntryFacts facts;
      if (entry.has_context && ReadFacts(entry, facts)) {
        ref.kind = facts.number == 0 ? EntryRef::Kind::kMeta : EntryRef::Kind::kMessage;
      }
      const bool by_symbol = entry.has_context;
      std::vector<EntryRef>& refs = by_symbol ? symbol_refs_ : msgid_refs_;
      (by_symbol ? symbols_ : msgids_).Add(by_symbol ? entry.context : entry.msgid, refs.size());
      refs.push_back(ref);
    }
    if (reader.failed()) {
      SayPoSyntax(Where{po_file_, syntax.line, ""}, syntax.what.c_str());
      return false;
    }
    // The rule is needed only where the file has plural entries.
    if (any_plural_ && !rule_sound_) {
      SayBadPluralRule(Where{po_file_, header_line_, ""}, rule_why_.c_str());
      return false;
    }
    if (any_plural_ && rule_.plural_forms.empty()) {
      SayNoPluralRule(Where{po_file_, header_line_, ""});
      return false;
    }
    // The index stays for the second pass, beside the base sources: no room to spare.
    symbol_refs_.shrink_to_fit();
    msgid_refs_.shrink_to_fit();
    symbols_.Sort();
    msgids_.Sort();
    DropSeconds();
    return true;
  }

  // The entry for a symbol, or for a msgid when no entry has the symbol;
  // false when neither is there. Counts the use.
  // A plural message is matched by msgid and msgid_plural (`plural`, null
  // for any other message).
  bool Find(bool meta, const std::string& symbol, const std::string& msgid, const std::string* plural, PoEntry& entry) {
    bool found = false;
    symbols_.ForEach(symbol, [&](std::size_t k) {
      EntryRef& ref = symbol_refs_[k];
      const EntryRef::Kind want = meta ? EntryRef::Kind::kMeta : EntryRef::Kind::kMessage;
      if (ref.uses < 0 || (ref.kind != EntryRef::Kind::kUnknown && ref.kind != want)) return true;
      entry = Reread(ref);
      if (entry.context != symbol) return true;
      if (ref.uses < INT16_MAX) ++ref.uses;
      found = true;
      return false;
    });
    if (found || meta) return found;
    msgids_.ForEach(msgid, [&](std::size_t k) {
      EntryRef& ref = msgid_refs_[k];
      if (ref.uses < 0) return true;
      entry = Reread(ref);
      if (entry.msgid != msgid || entry.has_plural != (plural != nullptr) ||
          (plural != nullptr && entry.msgid_plural != *plural)) {
        return true;
      }
      std::string& users = users_[k];
      users.append(ref.uses > 0 ? ", " : "").append(symbol);
      if (ref.uses < INT16_MAX) ++ref.uses;
      found = true;
      return false;
    });
    return found;
  }

  // The text of one message: the translation when it can be used, else
  // `base_text`. `base_msgid` is the base text as export writes it (the
  // numbered form of earlier exports is taken too); `signature` is null for
  // a meta-symbol, whose value is taken as it stands.
  std::string TextOf(const PoEntry* entry, const std::string& symbol, const std::string& base_text,
                     const std::string& base_msgid, const Signature* signature) {
    if (entry == nullptr || entry->msgstr[0].empty()) {
      ++counts_.untranslated;
      return base_text;
    }
    const std::string& msgstr = entry->msgstr[0];
    const Where at{po_file_, entry->msgstr_line, symbol.c_str()};
    if (entry->HasFlag("fuzzy")) {
      ++counts_.fuzzy;
      return base_text;
    }
    if (entry->has_plural) {
      SayPluralMismatch(Where{po_file_, entry->line, symbol.c_str()});
      ++counts_.fuzzy;
      return base_text;
    }
    if (entry->msgid != base_msgid && !(signature != nullptr && IsNumberedForm(entry->msgid, base_text))) {
      SayOutdated(Where{po_file_, entry->line, symbol.c_str()});
      ++counts_.fuzzy;
      return base_text;
    }
    if (msgstr.find('\0') != std::string::npos) {
      SayNulByte(at);
      ++counts_.inexpressible;
      return base_text;
    }
    std::string text = msgstr;
    if (signature != nullptr) {
      FormatError error;
      if (!PoToSource(msgstr, *signature, text, error)) {
        if (error.fault == FormatFault::kLiteralAt) {
          SayLiteralAt(at);
          ++counts_.inexpressible;
        } else {
          SayTranslationFault(at, error, options_.keep_going);
          Refuse();
        }
        return base_text;
      }
    } else if (const msgcomp::FormatCodeRule* rule = FormatRule(symbol);
               rule != nullptr && msgcomp::FormatCodeValue(text.c_str(), rule->highest) == 0) {
      SayBadFormatCode(at, rule->kind, rule->highest, options_.keep_going);
      Refuse();
      return base_text;
    }
    if (text.size() > msgcomp::kMaxTextLen) {
      SayTooLong(at, text.size(), msgcomp::kMaxTextLen);
      ++counts_.inexpressible;
      return base_text;
    }
    ++counts_.translated;
    return text;
  }

  // The forms of one plural message in the file's language: the
  // translation when it can be used, else the stand-ins of the base's forms.
  std::vector<std::string> FormsOf(const PoEntry* entry, const std::string& symbol,
                                   const std::vector<std::string>& base_forms, const PluralRuleOf& base_rule,
                                   const PluralBase& base) {
    const PluralRuleOf& rule = this->rule(base_rule);
    const std::vector<std::string> stand_ins = PluralStandIns(base_forms, base_rule, base.leaves_count, rule);
    const auto empty = [](const std::string& s) { return s.empty(); };
    // An entry with any form left empty is untranslated: no form ships empty.
    if (entry == nullptr || std::any_of(entry->msgstr.begin(), entry->msgstr.end(), empty)) {
      ++counts_.untranslated;
      return stand_ins;
    }
    if (entry->HasFlag("fuzzy")) {
      ++counts_.fuzzy;
      return stand_ins;
    }
    if (!entry->has_plural) {
      SayPluralMismatch(Where{po_file_, entry->line, symbol.c_str()});
      ++counts_.fuzzy;
      return stand_ins;
    }
    if (entry->msgid != base.msgid || entry->msgid_plural != base.msgid_plural) {
      SayOutdated(Where{po_file_, entry->line, symbol.c_str()});
      ++counts_.fuzzy;
      return stand_ins;
    }
    const Where at{po_file_, entry->msgstr_line, symbol.c_str()};
    if (std::any_of(entry->msgstr.begin(), entry->msgstr.end(),
                    [](const std::string& s) { return s.find('\0') != std::string::npos; })) {
      SayNulByte(at);
      ++counts_.inexpressible;
      return stand_ins;
    }
    std::vector<std::string> forms;
    int form = 0;
    FormatError error;
    if (!PluralToSource(entry->msgstr, rule, base.signature, base.count, forms, form, error)) {
      if (error.fault == FormatFault::kLiteralAt) {
        SayLiteralAt(at);
        ++counts_.inexpressible;
        return stand_ins;
      }
      if (error.fault == FormatFault::kNone) {
        SayPluralFormCount(at, entry->msgstr.size(), rule.rule.forms(), options_.keep_going);
      } else {
        SayPluralFormFault(at, form, error, options_.keep_going);
      }
      Refuse();
      return stand_ins;
    }
    for (const std::string& text : forms) {
      if (text.size() > msgcomp::kMaxTextLen) {
        SayTooLong(at, text.size(), msgcomp::kMaxTextLen);
        ++counts_.inexpressible;
        return stand_ins;
      }
    }
    ++counts_.translated;
    return forms;
  }

  // The rule the written source has: the file's, or where the file names
  // none (and so has no plural entries) the base's, whose forms stand in.
  const PluralRuleOf& rule(const PluralRuleOf& base_rule) const {
    return rule_.plural_forms.empty() ? base_rule : rule_;
  }

  // After the base: entries no message took, and msgids that several took.
  void ReportUnused() {
    for (const EntryRef& ref : symbol_refs_) {
      if (ref.uses != 0) continue;
      const PoEntry entry = Reread(ref);
      SayNotInBase(At(entry, entry.line));
      ++counts_.dropped;
    }
    for (std::size_t k = 0; k < msgid_refs_.size(); ++k) {
      const EntryRef& ref = msgid_refs_[k];
      if (ref.uses == 0) {
        SayMsgidNotInBase(Where{po_file_, Reread(ref).line, ""});
        ++counts_.dropped;
      } else if (ref.uses > 1) {
        SayAmbiguousMsgid(Where{po_file_, Reread(ref).line, ""}, ref.uses, users_[k].c_str());
      }
    }
  }

  // The entries with a msgctxt in file order, for the import without a base.
  template <typename Visit>
  void ForEachSymbolEntry(Visit visit) {
    for (const EntryRef& ref : symbol_refs_) {
      if (ref.uses >= 0) visit(Reread(ref));
    }
  }
  // Without a base an entry without msgctxt names no message.
  void ReportMsgidEntries() {
    for (const EntryRef& ref : msgid_refs_) {
      if (ref.uses < 0) continue;
      SayNoContext(Where{po_file_, Reread(ref).line, ""});
      ++counts_.dropped;
    }
  }

  // The comment a written source starts with.
  void WriteHead(std::string& out) const {
    out.assign("/* Message source written by qomsgpo import");
    if (!language_.empty()) out.append(" for the language ").append(language_);
    out.append(". */\n\n");
  }

  bool any_plural() const { return any_plural_; }
  Where At(const PoEntry& entry, long line) const { return Where{po_file_, line, entry.context.c_str()}; }
  void Fail() { failed_ = true; }
  bool failed() const { return failed_; }
  const ImportCounts& counts() const { return counts_; }
  std::size_t size() const { return text_.size(); }

 private:
  static const msgcomp::FormatCodeRule* FormatRule(const std::string& symbol) {
    for (const msgcomp::FormatCodeRule& rule : msgcomp::kFormatCodeRules) {
      if (symbol == rule.name) return &rule;
    }
    return nullptr;
  }
  void Refuse() {
    ++counts_.refused;
    if (!options_.keep_going) failed_ = true;
  }
  // A C format's "%<PRIuMAX>" is what this system's C library makes of it,
  // as msgfmt and the library do with a c-format entry.
  static void ResolveConversions(PoEntry& entry) {
    if (!entry.HasFlag("c-format")) return;
    entry.msgid = ResolveSystemConversions(entry.msgid);
    entry.msgid_plural = ResolveSystemConversions(entry.msgid_plural);
    for (std::string& msgstr : entry.msgstr) msgstr = ResolveSystemConversions(msgstr);
  }
  PoEntry Reread(const EntryRef& ref) const {
    PoReader reader(text_, decoding_, ref.offset, static_cast<long>(ref.line));
    PoEntry entry;
    PoSyntaxError unused;
    (void)reader.Next(entry, unused);  // read once already without fault
    ResolveConversions(entry);
    return entry;
  }

  // A second entry for one symbol (of one kind) or one msgid is ignored:
  // marked with uses -1 and reported, in file order. Only keys that share a
  // hash need a look.
  void DropSeconds() {
    struct Report {
        long line, first;
      std::string symbol;  // empty for a msgid
    };
    std::vector<Report> reports;
    const auto scan = [&](const RefIndex& index, std::vector<EntryRef>& refs, bool by_symbol) {
      index.ForEachSharedHash([&](const std::vector<std::size_t>& run) {
        std::vector<PoEntry> entries;
        for (const std::size_t k : run) entries.push_back(Reread(refs[k]));
        for (std::size_t j = 1; j < run.size(); ++j) {
          for (std::size_t i = 0; i < j; ++i) {
            EntryRef& first = refs[run[i]];
            EntryRef& second = refs[run[j]];
            const bool same = by_symbol ? entries[i].context == entries[j].context : entries[i].msgid == entries[j].msgid;
            if (first.uses < 0 || !same || first.kind != second.kind) continue;
            second.uses = -1;
            reports.push_back({entries[j].line, entries[i].line, by_symbol ? entries[j].context : std::string()});
            break;
          }
        }
      });
    };
    scan(symbols_, symbol_refs_, true);
    scan(msgids_, msgid_refs_, false);
    std::sort(reports.begin(), reports.end(), [](const Report& a, const Report& b) { return a.line < b.line; });
    for (const Report& r : reports) {
      if (r.symbol.empty()) {
        SaySecondMsgid(Where{po_file_, r.line, ""}, r.first);
      } else {
        SaySecondEntry(Where{po_file_, r.line, r.symbol.c_str()}, r.first);
      }
    }
  }

  const char* po_file_;
  ImportOptions options_;
  std::string text_;
  Utf8Converter converter_;
  PoDecoding decoding_;
  bool header_seen_ = false;
  long header_line_ = 0;
  std::string language_;
  PluralRuleOf rule_;      // the file's plural rule; none named: plural_forms empty
  bool rule_sound_ = true;
  std::string rule_why_;   // what is wrong with the file's Plural-Forms
  bool any_plural_ = false;
  RefIndex symbols_, msgids_;
  std::vector<EntryRef> symbol_refs_, msgid_refs_;
  std::map<std::size_t, std::string> users_;  // symbols that took a msgid entry, by ref
  ImportCounts counts_;
  bool failed_ = false;
};

// The forms of a plural message in a translation; a language of one form
// (Japanese) has no plural messages, so its one form is an ordinary text.
void SetForms(msgcomp::SourceEntry& source, std::vector<std::string> forms) {
  if (forms.size() == 1) {
    source.text = std::move(forms[0]);
    source.forms.clear();
    source.count_argument = 0;
  } else {
    source.text = forms[0];
    source.forms = std::move(forms);
  }
}

// The translation's own plural rule, as the meta-symbol that names it.
bool AppendPluralForms(std::string& out, const PluralRuleOf& rule) {
  const msgcomp::SourceEntry meta{0, 4 /* I */, msgcomp::kPluralFormsMeta, rule.plural_forms, "", 0, 0, {}, 0};
  return msgcomp::AppendSourceEntry(out, meta);
}

// The base's own language and rule are not the translation's.
bool IsLanguageFact(const msgcomp::SourceEntry& source) {
  return source.number == 0 && (source.symbol == msgcomp::kPluralFormsMeta || source.symbol == msgcomp::kLanguageMeta);
}

// Base mode: the base sources give every message and its facts; they are
// read one entry at a time, and each is written as soon as it is read.
bool ImportWithBase(Importer& importer, std::span<const char* const> base, std::string& out,
                    const std::function<void(std::string&)>& drain) {
  if (!importer.Index()) return false;
  BasePlurals plurals;
  std::string why;
  if (!ReadBasePlurals(base, plurals, why)) {
    if (!why.empty()) SayBadPluralRule(Where{base[0], 0, msgcomp::kPluralFormsMeta}, why.c_str());
    return false;
  }
  importer.WriteHead(out);
  if (plurals.any && !AppendPluralForms(out, importer.rule(plurals.rule))) return false;
  // The source is about as long as the base's; room for it at once saves
  // the copies of a growing string.
  std::size_t bytes = 0;
  for (const char* name : base) {
    // A file whose size is unknown (missing: the reader says so) counts nothing.
    std::error_code unknown;
    const std::uintmax_t size = std::filesystem::file_size(name, unknown);
    if (!unknown) bytes += static_cast<std::size_t>(std::min<std::uintmax_t>(size, 0xFFFFFFFFu));
  }
  if (!drain) out.reserve(out.size() + bytes + bytes / 8);
  PoEntry entry;
  const int read = msgcomp::VisitSourceEntries(base, [&](msgcomp::SourceEntry& source) {
    const bool meta = source.number == 0;
    if (IsLanguageFact(source)) return;
    const Where base_at{base[static_cast<std::size_t>(source.source)], source.line, source.symbol.c_str()};
    if (!source.forms.empty()) {
      PluralBase plural;
      FormatError error;
      if (!PluralOfBase(source.forms, source.count_argument, plurals.rule, plural, error)) {
        if (error.fault == FormatFault::kNone) {
          SayExportFormCount(base_at, source.forms.size(), plurals.rule.rule.forms());
        } else {
          SayBaseTextFault(base_at, error);
        }
        importer.Fail();
        return;
      }
      const bool found = importer.Find(false, source.symbol, plural.msgid, &plural.msgid_plural, entry);
      SetForms(source, importer.FormsOf(found ? &entry : nullptr, source.symbol, source.forms, plurals.rule, plural));
      if (!AppendSourceEntry(out, source)) importer.Fail();
      if (drain) drain(out);
      return;
    }
    std::string format;
    Signature signature;
    if (!meta) {
      FormatError error;
      if (!SourceToPo(source.text, format, signature, error)) {
        SayBaseTextFault(base_at, error);
        importer.Fail();
        return;
      }
    }
    const std::string& msgid = meta ? source.text : format;
    const bool found = importer.Find(meta, source.symbol, msgid, nullptr, entry);
    source.text = importer.TextOf(found ? &entry : nullptr, source.symbol, source.text, msgid,
                                  meta ? nullptr : &signature);
    if (!AppendSourceEntry(out, source)) importer.Fail();  // base responses never hold "]"
    if (drain) drain(out);
  });
  if (read != 0) return false;
  importer.ReportUnused();
  return true;
}

// Without base sources: each entry's facts comment and msgid stand for the base.
bool ImportAlone(Importer& importer, std::string& out, const std::function<void(std::string&)>& drain) {
  if (!importer.Index()) return false;
  importer.WriteHead(out);
  PluralRuleOf english;
  std::string why;
  if (!RuleOfText(msgcomp::kDefaultPluralForms, english, why)) return false;
  if (importer.any_plural() && !AppendPluralForms(out, importer.rule(english))) return false;
  importer.ReportMsgidEntries();
  importer.ForEachSymbolEntry([&](const PoEntry& entry) {
    const Where at = importer.At(entry, entry.line);
    EntryFacts facts;
    if (!ReadFacts(entry, facts)) {
      SayNoNumberComment(at);
      importer.Fail();
      return;
    }
    msgcomp::SourceEntry source{facts.number, facts.severity, entry.context, entry.msgid, facts.response, 0, 0, {},
                                facts.count};
    if (facts.number == 0 && (entry.context == msgcomp::kPluralFormsMeta || entry.context == msgcomp::kLanguageMeta)) return;
    Signature signature;
    if (entry.has_plural && facts.number != 0) {
      // msgid and msgid_plural are the base's forms for 1 and for most
      // counts, as English has them.
      std::vector<std::string> base_forms(2);
      PluralBase plural;
      FormatError error;
      if (!SignatureOfPo(entry.msgid_plural, signature, error) ||
          !PoToSource(entry.msgid_plural, signature, base_forms[1], error) ||
          !PoToSource(entry.msgid, signature, base_forms[0], error,
                      facts.count > 0 ? facts.count : std::max(CountArgument(signature), 0)) ||
          !PluralOfBase(base_forms, facts.count, english, plural, error)) {
        SayMsgidFault(at, error);
        importer.Fail();
        return;
      }
      SetForms(source, importer.FormsOf(&entry, entry.context, base_forms, english, plural));
    } else if (facts.number != 0) {
      FormatError error;
      if (!SignatureOfPo(entry.msgid, signature, error) || !PoToSource(entry.msgid, signature, source.text, error)) {
        SayMsgidFault(at, error);
        importer.Fail();
        return;
      }
    }
    if (!entry.has_plural || facts.number == 0) {
      source.text = importer.TextOf(&entry, entry.context, source.text, entry.msgid,
                                    facts.number != 0 ? &signature : nullptr);
    }
    // The facts comment and the msgid are as anyone wrote them: what the
    // source syntax cannot express is refused, not written as a broken entry.
    const msgcomp::SourceEntryFault fault = FindSourceEntryFault(source);
    switch (fault) {
      case msgcomp::SourceEntryFault::kNone: break;
      case msgcomp::SourceEntryFault::kSymbol: SayNotASymbol(at, msgcomp::kMaxSymbolLen); break;
      case msgcomp::SourceEntryFault::kResponse:
        if (source.response.find(']') != std::string::npos) {
          SayResponseBracket(at);
        } else {
          SayResponseInexpressible(at, msgcomp::kMaxResponseLen);
        }
        break;
      case msgcomp::SourceEntryFault::kText: SayMsgidInexpressible(at, msgcomp::kMaxTextLen); break;
    }
    if (fault != msgcomp::SourceEntryFault::kNone) {
      importer.Fail();
      return;
    }
    if (!msgcomp::AppendSourceEntry(out, source)) importer.Fail();  // a "]" was refused above
    if (drain) drain(out);
  });
  return true;
}

}  // namespace

int ImportPo(const char* po_file, std::span<const char* const> base, const ImportOptions& options, std::string& out,
             const std::function<void(std::string&)>& drain) {
  Importer importer(po_file, options);
  if (!importer.Load()) return 1;
  if (!(base.empty() ? ImportAlone(importer, out, drain) : ImportWithBase(importer, base, out, drain))) return 1;
  if (importer.failed()) return 1;
  SayImportSummary(po_file, importer.counts());
  return 0;
}

}  // namespace qokit::po
