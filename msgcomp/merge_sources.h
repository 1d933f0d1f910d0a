// The first pass over the message sources: every entry is entered into the
// symbol table and its text checked, duplicates are reported with file and
// line, and the pass decides whether the sources' symbol mapping differs from
// the one read back from the symbol file (mappingChanged).
#pragma once

#include <functional>

#include "msgsym_types.h"
#include "source_reader.h"

namespace qokit::msgcomp {

// What a caller does with every numbered entry that the pass entered and
// whose text passed the insert check (genobj compiles it there and then).
using EnteredEntry = std::function<void(MsgSymbol& sym, const MessageRecord& entry)>;

// 0; -1 after syntax errors or duplicates (the counters are cleared); 1 when
// a text failed the insert check.
[[nodiscard]] int MergeSources(const EnteredEntry& entered = nullptr);

// How one entry went into the symbol table.
struct MergeOutcome {
  enum class Kind {
    kEntered,          // a numbered message, now defined in this pass
    kMeta,             // a meta-symbol, entered with its text as value
    kDuplicateNumber,  // the number of an earlier entry: `earlier` has it
    kDuplicateName,    // the symbol of an earlier entry: `earlier` is it
    kDuplicateMeta,    // the name of an earlier meta-symbol: `earlierMeta`
  } kind = Kind::kEntered;
  const MsgSymbol* earlier = nullptr;
  const MsgMetaSymbol* earlierMeta = nullptr;
  MsgSymbol* entered = nullptr;  // kEntered: the symbol of the entry
};

// Enters one entry of the first pass as MergeSources does (prints nothing);
// a duplicate changes nothing in the table.
MergeOutcome MergeEntry(const MessageRecord& entry);

}  // namespace qokit::msgcomp
