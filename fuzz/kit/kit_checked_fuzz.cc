// The checked open of the message catalogue reader on arbitrary bytes, with
// a table of the messages 1, 2 and 3 whose signatures and checksum come from
// the input, and with tables made from the catalogue's own inserts.
//
// Properties: the checked open accepts only what the plain open accepts, and
// refuses what it refuses with the same code; it accepts a table only when
// every row names a message of the catalogue that takes the arguments of the
// row's signature, and refuses the first row that does not fit with its
// code; for a catalogue that opens, the table of its own messages
// with its own checksum is accepted, and a wrong checksum, a missing message,
// an extra argument or a row without a signature are refused with their own
// codes. A refusal leaves no catalogue and a terminated detail.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "qokit/qomsg.h"
#include "signature.h"

namespace {

struct Table {
  std::vector<long> numbers;
  std::vector<std::string> signatures;
  std::vector<bool> missing;  // rows passed without a signature

  std::vector<qomsg_signature> Rows() const {
    std::vector<qomsg_signature> rows;
    for (size_t i = 0; i < numbers.size(); ++i) {
      rows.push_back({numbers[i], missing[i] ? nullptr : signatures[i].c_str()});
    }
    return rows;
  }
  void Add(long number, std::string signature) {
    numbers.push_back(number);
    signatures.push_back(std::move(signature));
    missing.push_back(false);
  }
};

int OpenChecked(const std::string& bytes, long checksum, const Table& table) {
  const std::vector<qomsg_signature> rows = table.Rows();
  static int sentinel;
  qomsg_catalog* catalog = reinterpret_cast<qomsg_catalog*>(&sentinel);  // a refusal must clear it
  char detail[64];
  std::memset(detail, 'x', sizeof detail);
  const int rc = qomsg_open_memory_checked(bytes.data(), bytes.size(), checksum, rows.data(), rows.size(), &catalog,
                                           detail, sizeof detail);
  CHECK(std::memchr(detail, '\0', sizeof detail) != nullptr);
  if (rc == QOMSG_OK) {
    CHECK(catalog != nullptr && detail[0] == '\0');
    qomsg_close(catalog);
  } else {
    CHECK(catalog == nullptr && detail[0] != '\0');
  }
  return rc;
}

// The signature of a message from the inserts the reader describes, argument 1 first.
std::string OwnSignature(const qomsg_catalog* catalog, long number) {
  qomsg_message message;
  CHECK(qomsg_lookup(catalog, number, &message) == QOMSG_OK);
  std::string signature;
  for (int a = 1; a <= message.insert_count; ++a) {
    qomsg_insert insert;
    CHECK(qomsg_get_insert(catalog, number, a, &insert) == QOMSG_OK);
    signature.append(qokit::format::SignatureEntry(std::string_view(insert.conversion, insert.conversion_len)));
  }
  return signature;
}

// What the checked open must say of a table for a catalogue with the right
// checksum: the verdict on the first row, in table order, that does not fit.
int Verdict(const qomsg_catalog* catalog, const Table& table) {
  for (size_t i = 0; i < table.numbers.size(); ++i) {
    std::vector<qokit::format::ArgumentSlot> slots;
    if (table.missing[i] || !qokit::format::SignatureSlots(table.signatures[i], slots)) return QOMSG_ERR_ARGUMENT;
    qomsg_message message;
    if (qomsg_lookup(catalog, table.numbers[i], &message) != QOMSG_OK) return QOMSG_ERR_SIGNATURE;
    const std::string own = OwnSignature(catalog, table.numbers[i]);
    if (qokit::format::CompareSignatures(table.signatures[i], own).kind != qokit::format::SignatureDifference::Kind::kNone) {
      return QOMSG_ERR_SIGNATURE;
    }
  }
  return QOMSG_OK;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  const long checksum = provider.ConsumeIntegral<int32_t>();
  const int rows = provider.ConsumeIntegralInRange<int>(0, 3);
  Table fuzzed;
  for (int i = 0; i < rows; ++i) {
    // A client's table holds C strings: a signature ends at its first NUL.
    fuzzed.Add(i + 1, provider.ConsumeRandomLengthString(16).c_str());
  }
  const std::string bytes = provider.ConsumeRemainingBytesAsString();

  qomsg_catalog* catalog = nullptr;
  const int plain = qomsg_open_memory(bytes.data(), bytes.size(), &catalog, nullptr, 0);
  const int checked = OpenChecked(bytes, checksum, fuzzed);
  if (plain != QOMSG_OK) {
    CHECK(catalog == nullptr);
    CHECK(checked == plain);
    return 0;
  }
  qomsg_info info;
  CHECK(qomsg_get_info(catalog, &info) == QOMSG_OK);
  if (info.checksum != checksum) {
    CHECK(checked == QOMSG_ERR_CHECKSUM);
  } else {
    const int verdict = Verdict(catalog, fuzzed);
    if (checked != verdict) {
      std::fprintf(stderr, "checked open %d, expected %d for the table:\n", checked, verdict);
      for (size_t i = 0; i < fuzzed.numbers.size(); ++i) {
        qomsg_message message;
        const bool present = qomsg_lookup(catalog, fuzzed.numbers[i], &message) == QOMSG_OK;
        std::fprintf(stderr, "  %ld \"%s\", catalogue %s\n", fuzzed.numbers[i], fuzzed.signatures[i].c_str(),
                     present ? OwnSignature(catalog, fuzzed.numbers[i]).c_str() : "without it");
      }
    }
    CHECK(checked == verdict);
  }

  Table own;
  for (long n = qomsg_next_number(catalog, 0); n != QOMSG_NONE; n = qomsg_next_number(catalog, n)) {
    own.Add(n, OwnSignature(catalog, n));
  }
  CHECK(OpenChecked(bytes, info.checksum, own) == QOMSG_OK);
  CHECK(OpenChecked(bytes, info.checksum + 1, own) == QOMSG_ERR_CHECKSUM);
  Table absent = own;
  absent.Add(info.max_msg_num + 1, "");
  CHECK(OpenChecked(bytes, info.checksum, absent) == QOMSG_ERR_SIGNATURE);
  if (!own.numbers.empty()) {
    Table extra = own;
    extra.signatures.back().append("%d");
    CHECK(OpenChecked(bytes, info.checksum, extra) == QOMSG_ERR_SIGNATURE);
    Table unsigned_row = own;
    unsigned_row.missing.front() = true;
    CHECK(OpenChecked(bytes, info.checksum, unsigned_row) == QOMSG_ERR_ARGUMENT);
  }
  qomsg_close(catalog);
  return 0;
}
