#include "signature_check.h"

#include <vector>

#include "signature.h"

namespace qokit::reader {

namespace {

using Kind = qokit::format::SignatureDifference::Kind;

std::string MessagePrefix(long number) {
  std::string text = "message ";
  return text.append(std::to_string(number)).append(": ");
}

// "message 3: argument 2 type differs: catalogue "%d%ld", client "%d%d"".
std::string Difference(long number, const qokit::format::SignatureDifference& d, std::string_view have,
                       std::string_view want) {
  std::string why = MessagePrefix(number);
  if (d.kind == Kind::kCount) {
    why.append("argument count differs");
  } else {
    why.append("argument ").append(std::to_string(d.argument));
    why.append(d.kind == Kind::kType ? " type differs" : " stars differ");
  }
  return why.append(": catalogue \"").append(have).append("\", client \"").append(want).append("\"");
}

}  // namespace

int CheckCatalog(const Catalog& catalog, long expected_checksum, const qomsg_signature* table,
                 std::size_t count, std::string& why) {
  if (table == nullptr && count > 0) {
    why.assign("no signature table");
    return QOMSG_ERR_ARGUMENT;
  }
  if (catalog.info().checksum != expected_checksum) {
    why.assign("checksum ").append(std::to_string(catalog.info().checksum));
    why.append(" is not the expected ").append(std::to_string(expected_checksum));
    why.append(": built from another symbol mapping");
    return QOMSG_ERR_CHECKSUM;
  }
  std::vector<qokit::format::ArgumentSlot> slots;
  std::string have;
  for (std::size_t i = 0; i < count; ++i) {
    const qomsg_signature& row = table[i];
    if (row.signature == nullptr || !qokit::format::SignatureSlots(row.signature, slots)) {
      why.assign("table row ").append(std::to_string(i)).append(" (message ");
      why.append(std::to_string(row.number)).append(") holds no signature");
      return QOMSG_ERR_ARGUMENT;
    }
    const Message* m = catalog.Find(row.number);
    if (m == nullptr) {
      why = MessagePrefix(row.number).append("missing from the catalogue");
      return QOMSG_ERR_SIGNATURE;
    }
    const bool sound = qokit::format::FormSignature(m->text, have);
    const qokit::format::SignatureDifference d = qokit::format::CompareSignatures(row.signature, have);
    // The loader let through only conversions printf formats as recorded,
    // so this is a fault of the loader, not of the catalogue.
    if (!sound || d.kind == Kind::kMalformed) {
      why = MessagePrefix(row.number).append("its text has no argument signature");
      return QOMSG_ERR_TEXT;
    }
    if (d.kind != Kind::kNone) {
      why = Difference(row.number, d, have, row.signature);
      return QOMSG_ERR_SIGNATURE;
    }
  }
  return QOMSG_OK;
}

}  // namespace qokit::reader
