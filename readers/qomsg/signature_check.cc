#include "signature_check.h"

#include <cstdio>
#include <string>

#include "compiled_form_walk.h"
#include "signature.h"

namespace qokit::reader {

namespace {

using format::ArgumentSlot;
using Kind = format::SignatureDifference::Kind;

// The arguments of a signature, at most as many as a text can take; the
// count goes on past those. Left uninitialised: a row of two arguments must
// not pay for a hundred.
struct Slots {
  struct Slot {
    int stars;
    int type;
  } slot[format::kMaxArgumentNumber];
  std::size_t count = 0;
  void Add(const ArgumentSlot& s) {
    if (count < format::kMaxArgumentNumber) slot[count] = {s.stars, s.type};
    ++count;
  }
};

// The arguments a compiled text takes, in argument order.
struct TextSlots {
  static constexpr bool kDerivesTypes = true;
  Slots& slots;
  void Insert(const format::FormInsert& insert) {
    slots.slot[insert.argument - 1] = {insert.stars, insert.type};
    ++slots.count;
  }
  void Piece(std::string_view) {}
};

// How the catalogue's arguments differ from the client's, as
// CompareSignatures tells it for their signatures.
format::SignatureDifference Compare(const Slots& want, const Slots& have) {
  if (want.count != have.count) return {Kind::kCount, 0};
  for (std::size_t k = 0; k < want.count; ++k) {
    const int argument = static_cast<int>(k + 1);
    if (want.slot[k].type != have.slot[k].type) return {Kind::kType, argument};
    if (want.slot[k].stars != have.slot[k].stars) return {Kind::kStars, argument};
  }
  return {};
}

// "message 3: argument 2 type differs: catalogue "%d%ld", client "%d%d"".
int Describe(long number, std::string_view compiled, const char* want, char* detail, std::size_t detail_size) {
  format::FormParts parts;
  std::string why, have;
  if (!format::ReadCompiledForm(compiled, parts, why) || !format::FormSignature(parts, have)) {
    std::snprintf(detail, detail_size, "message %ld: its text has no argument signature", number);
    return QOMSG_ERR_TEXT;
  }
  const format::SignatureDifference d = format::CompareSignatures(want, have);
  // The open let through only conversions printf formats as recorded, so
  // this is a fault of the open, not of the catalogue.
  if (d.kind == Kind::kMalformed || d.kind == Kind::kNone) {
    std::snprintf(detail, detail_size, "message %ld: its text has no argument signature", number);
    return QOMSG_ERR_TEXT;
  }
  if (d.kind == Kind::kCount) {
    std::snprintf(detail, detail_size, "message %ld: argument count differs: catalogue \"%s\", client \"%s\"", number,
                  have.c_str(), want);
  } else {
    std::snprintf(detail, detail_size, "message %ld: argument %d %s: catalogue \"%s\", client \"%s\"", number,
                  d.argument, d.kind == Kind::kType ? "type differs" : "stars differ", have.c_str(), want);
  }
  return QOMSG_ERR_SIGNATURE;
}

}  // namespace

int CheckCatalog(const Catalog& catalog, long expected_checksum, const qomsg_signature* table, std::size_t count,
                 char* detail, std::size_t detail_size) {
  // Every description goes through snprintf, which takes no null buffer of size > 0.
  char ignored[1];
  if (detail == nullptr) {
    detail = ignored;
    detail_size = sizeof ignored;
  }
  if (table == nullptr && count > 0) {
    std::snprintf(detail, detail_size, "no signature table");
    return QOMSG_ERR_ARGUMENT;
  }
  const long checksum = catalog.Info().checksum;
  if (checksum != expected_checksum) {
    std::snprintf(detail, detail_size, "checksum %ld is not the expected %ld: built from another symbol mapping",
                  checksum, expected_checksum);
    return QOMSG_ERR_CHECKSUM;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const qomsg_signature& row = table[i];
    Slots want;
    bool sound = row.signature != nullptr;
    if (sound) {
      ArgumentSlot slot;
      for (std::string_view rest = row.signature; sound && !rest.empty(); want.Add(slot))
        sound = format::TakeSignatureSlot(rest, slot);
    }
    if (!sound) {
      std::snprintf(detail, detail_size, "table row %zu (message %ld) holds no signature", i, row.number);
      return QOMSG_ERR_ARGUMENT;
    }
    format::MessageView message;
    if (!catalog.Find(row.number, message)) {
      std::snprintf(detail, detail_size, "message %ld: missing from the catalogue", row.number);
      return QOMSG_ERR_SIGNATURE;
    }
    Slots have;
    TextSlots sink{have};
    if (format::WalkCompiledForm(message.compiled, sink) != nullptr || Compare(want, have).kind != Kind::kNone)
      return Describe(row.number, message.compiled, row.signature, detail, detail_size);
  }
  return QOMSG_OK;
}

}  // namespace qokit::reader
