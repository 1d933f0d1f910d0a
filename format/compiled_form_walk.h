// The one walk over a compiled form (compiled_form.h has the layout) that
// every reader of the form runs: taking it apart into parts, checking it at
// a catalogue's open, and formatting it. It allocates nothing and hands each
// part to a sink as it finds it:
//
//   sink.Insert(const FormInsert&)  every insert, in text order
//   sink.Piece(std::string_view)    every literal piece, in text order
//   Sink::kDerivesTypes             whether in-order inserts carry their star
//                                   count and type code (a sink that only
//                                   judges their conversions spares the cost)
//
// The in-order form interleaves pieces and inserts; the reordered one
// stores all inserts before all pieces, so a sink sees them in that order.
// The result is null for a form WriteCompiledForm writes, else the fault;
// the sink has then seen the parts before it.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "compiled_form.h"
#include "insert_syntax.h"

namespace qokit::format {

inline constexpr const char* kNotTerminated = "text not terminated exactly at its end";

// The in-order form after its flag: `text` ends with its NUL. One scan finds
// each "%" and the NUL (strchrnul); a NUL met before the end is a fault that
// outranks any other, so a fault is reported only after a look for one.
template <typename Sink>
[[gnu::always_inline]] inline const char* WalkInOrderForm(std::string_view text, Sink& sink) {
  if (text.empty() || text.back() != '\0') return kNotTerminated;
  const char* const begin = text.data();
  const char* const last = begin + text.size() - 1;
  const char* piece = begin;
  const char* p = begin;
  const char* fault = nullptr;
  int count = 0;
  for (;;) {
    p = strchrnul(p, '%');
    if (*p == '\0') {
      if (p != last) return kNotTerminated;
      break;
    }
    if (p[1] == '%') {  // p is before the final NUL, so p[1] exists
      p += 2;
      continue;
    }
    const char* letter = p + 1;
    while (*letter != '\0' && !kIsConversionLetter[static_cast<unsigned char>(*letter)]) ++letter;
    if (*letter == '\0') {
      fault = "percent sign in the literal text that is not %%";
      break;
    }
    if (count == kMaxArgumentNumber) {
      fault = "more inserts than argument numbers";
      break;
    }
    FormInsert insert;
    insert.argument = ++count;
    insert.conversion = {p, static_cast<std::size_t>(letter + 1 - p)};
    if constexpr (Sink::kDerivesTypes) {
      insert.stars = static_cast<int>(std::count(insert.conversion.begin(), insert.conversion.end(), '*'));
      insert.type = TypeCode(insert.conversion);
    }
    sink.Piece({piece, static_cast<std::size_t>(p - piece)});
    sink.Insert(insert);
    p = piece = letter + 1;
  }
  if (fault != nullptr) return std::memchr(begin, '\0', text.size()) != last ? kNotTerminated : fault;
  sink.Piece({piece, static_cast<std::size_t>(last - piece)});
  return nullptr;
}

// Reads one NUL-terminated string at `pos`; false when no NUL follows.
inline bool TakeFormString(std::string_view bytes, std::size_t& pos, std::string_view& out) {
  const void* nul = std::memchr(bytes.data() + pos, '\0', bytes.size() - pos);
  if (nul == nullptr) return false;
  const auto end = static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data());
  out = bytes.substr(pos, end - pos);
  pos = end + 1;
  return true;
}

template <typename Sink>
const char* WalkReorderedForm(std::string_view bytes, Sink& sink) {
  if (bytes.size() < 2) return "insert count missing";
  const std::size_t count = static_cast<unsigned char>(bytes[1]);
  std::size_t pos = 2;
  if (count == 0 || bytes.size() - pos < count) return "position map missing or empty";
  if (count > static_cast<std::size_t>(kMaxArgumentNumber)) return "more inserts than argument numbers";
  std::array<unsigned char, kMaxArgumentNumber> argument_at{};  // 0: no argument seen there yet
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t where = static_cast<unsigned char>(bytes[pos + k]);
    if (where >= count || argument_at[where] != 0) return "position map is not a permutation";
    argument_at[where] = static_cast<unsigned char>(k + 1);
  }
  pos += count;
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes.size() - pos < 2) return "insert descriptor cut short";
    FormInsert insert;
    insert.argument = argument_at[i];
    insert.stars = static_cast<unsigned char>(bytes[pos]);
    insert.type = static_cast<unsigned char>(bytes[pos + 1]);
    pos += 2;
    if (!TakeFormString(bytes, pos, insert.conversion)) return "conversion not terminated";
    sink.Insert(insert);
  }
  for (std::size_t i = 0; i <= count; ++i) {
    std::string_view piece;
    if (!TakeFormString(bytes, pos, piece)) return "literal piece not terminated";
    sink.Piece(piece);
  }
  if (pos != bytes.size()) return "bytes after the last literal piece";
  return nullptr;
}

template <typename Sink>
const char* WalkCompiledForm(std::string_view bytes, Sink& sink) {
  if (bytes.empty()) return "empty compiled text";
  const auto flag = static_cast<unsigned char>(bytes[0]);
  if (flag == kInOrderFlag) return WalkInOrderForm(bytes.substr(1), sink);
  if (flag == kReorderedFlag) return WalkReorderedForm(bytes, sink);
  return "order flag is neither 0 nor 1";
}

// What is wrong with one conversion of a form for a reader that formats it
// (CheckCompiledForm tells the order of the checks); null when nothing is.
// An in-order conversion is cut at its first letter and carries the stars
// and type it shows, so only printf's reading is left to judge.
const char* ConversionFault(const FormInsert& insert, bool in_order);

// Keeps the first fault of the conversions and of the pieces, which count
// only when the structure holds.
template <bool kInOrder>
struct FormCheckSink {
  static constexpr bool kDerivesTypes = false;
  const char* conversion_fault = nullptr;
  const char* piece_fault = nullptr;
  void Insert(const FormInsert& insert) {
    // "%" and a letter in an in-order text always has printf's meaning (the
    // common case, and one test judges every letter).
    if (kInOrder && insert.conversion.size() == 2) return;
    if (conversion_fault == nullptr) conversion_fault = ConversionFault(insert, kInOrder);
  }
  void Piece(std::string_view piece) {
    // The in-order walk leaves no lone "%" in a piece: each starts a conversion.
    if (!kInOrder && piece_fault == nullptr && LonePercent(piece) != std::string_view::npos)
      piece_fault = "percent sign in the literal text that is not %%";
  }
};

// CheckCompiledForm, for a caller that checks many texts in a row.
inline const char* CheckFormInPlace(std::string_view bytes) {
  if (!bytes.empty() && static_cast<unsigned char>(bytes[0]) == kInOrderFlag) {
    FormCheckSink<true> sink;
    if (const char* fault = WalkInOrderForm(bytes.substr(1), sink)) return fault;
    return sink.conversion_fault;
  }
  FormCheckSink<false> sink;
  if (const char* fault = WalkCompiledForm(bytes, sink)) return fault;
  return sink.conversion_fault != nullptr ? sink.conversion_fault : sink.piece_fault;
}

}  // namespace qokit::format
