// The companion header of a symbol file: for every message its argument
// signature, a macro per message whose call the C compiler checks against
// it, and the table that a checked open compares a catalogue with. The
// symbol file itself stays as gensym writes it; the companion includes it.
//
// For the prefix P, the symbol file S and a message SYM of signature "%s%d":
//
//   #include "S" with the symbol file's shared guard and control names
//     lifted first, so two catalogues' companions can meet in one client
//   #if _MSGSYM_CHECKSUM != <the sources' checksum>  #error  (stale pair)
//   enum { P_checksum = _MSGSYM_CHECKSUM, P_signature_count = <n> };
//   #define P_signature_SYM "%s%d"
//   #define P_format_SYM(catalog, buf, size, ...)  qomsg_format_checked(
//           (catalog), SYM, (buf), (size), P_signature_SYM, __VA_ARGS__)
//   static const qomsg_signature P_signatures[] = { {SYM, P_signature_SYM}, ... };
//
// A plural message gets besides
//   #define P_format_plural_SYM(catalog, n, buf, size, ...)  ((void)sizeof(
//           qomsg_format_checked(... P_signature_SYM, __VA_ARGS__)),
//           qomsg_format_plural((catalog), SYM, (n), (buf), (size), __VA_ARGS__))
// whose unevaluated qomsg_format_checked lets the compiler check the
// arguments against the message's full signature (every form has it).
// A message without arguments gets P_format_SYM(catalog, buf, size), a call
// of qomsg_format: an empty format would draw -Wformat-zero-length, and an
// empty __VA_ARGS__ is not portable C11. Numbers and the checksum come from
// the symbol file, so the table cannot disagree with it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qokit::sig {

// One numbered message of the base sources.
struct SignedMessage {
  std::string symbol;
  int32_t number = 0;
  std::string signature;
  bool plural = false;
};

// Every numbered message in ascending number order, and the mapping's checksum.
struct SignatureSet {
  std::vector<SignedMessage> messages;
  int32_t checksum = 0;
};

enum class SignatureHeaderStatus {
  kOk,
  kSourceFault,      // the first pass failed and reported why
  kUnsoundText,      // a text has no signature; `culprit` names its symbol
  kNoMessages,       // nothing to declare: such sources have no symbol file
  kBadPrefix,        // the prefix is not a C identifier
  kBadSymbol,        // a symbol is not a C identifier; `culprit` names it
  kBadSymbolFileName,  // empty, or not writable inside #include "..."
  kWriteFailed,
};

// Runs the compiler's first pass over msgState's open sources (which reports
// its own faults) and collects the signature of every numbered message.
[[nodiscard]] SignatureHeaderStatus CollectSignatures(SignatureSet& set, std::string& culprit);

// Writes the companion header of `set` for the symbol file included as
// `symbol_file`, its names starting with `prefix`.
[[nodiscard]] SignatureHeaderStatus WriteSignatureHeader(std::FILE* out, const SignatureSet& set,
                                                         std::string_view symbol_file,
                                                         std::string_view prefix, std::string& culprit);

}  // namespace qokit::sig
