// Checked loading: a catalogue opens only when it was built from the
// client's symbol mapping and every message takes the arguments the client
// passes; otherwise the first difference is named and nothing is returned.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog_bytes.h"
#include "qokit/qomsg.h"
#include "temp_dir.h"
#include "translations.h"

namespace {

using namespace std::string_literals;

// What the client of kBaseSource is built with.
const std::vector<qomsg_signature> kBaseTable = {{1, "%d%s"}, {2, "%*d"}, {3, ""}};

// Stands in *out before each open: a refusal must replace it with null.
int sentinel_target;
qomsg_catalog* const kSentinel = reinterpret_cast<qomsg_catalog*>(&sentinel_target);

struct Outcome {
  int rc = 0;
  std::string detail;
  bool returned = false;
};

Outcome OpenFile(const std::string& path, long checksum, const std::vector<qomsg_signature>& table) {
  Outcome o;
  char detail[256] = "stale";
  qomsg_catalog* cat = kSentinel;
  o.rc = qomsg_open_checked(path.c_str(), checksum, table.data(), table.size(), &cat, detail, sizeof detail);
  o.detail = detail;
  o.returned = cat != nullptr;
  if (cat != kSentinel) qomsg_close(cat);
  return o;
}

Outcome OpenMemory(const std::string& bytes, long checksum, const std::vector<qomsg_signature>& table) {
  Outcome o;
  char detail[256] = "stale";
  qomsg_catalog* cat = kSentinel;
  o.rc = qomsg_open_memory_checked(bytes.data(), bytes.size(), checksum, table.data(), table.size(), &cat,
                                   detail, sizeof detail);
  o.detail = detail;
  o.returned = cat != nullptr;
  if (cat != kSentinel) qomsg_close(cat);
  return o;
}

TEST(CheckedOpen, AcceptsWhatFitsAndNamesTheFirstDifference) {
  const kittest::Translations t;
  // Message 1 only, with the base checksum: the mapping's sum cannot tell.
  kittest::Block index;
  index.U16(0, 3);
  const std::string one_message = kittest::Control(1, 1, 1, static_cast<uint32_t>(t.checksum())).bytes +
                                  index.bytes + kittest::OneBlockMessage(4, "", "\1%d files in %s\0"s).bytes;
  TempDir dir;
  const std::string missing = dir.Write("missing.obj", one_message).string();

  struct Row {
    const char* name;
    std::string file;
    std::vector<qomsg_signature> table;
    int rc;
    std::string detail;
  };
  const std::vector<Row> rows = {
      {"base", t.base().string(), kBaseTable, QOMSG_OK, ""},
      {"reordered translation",
       t.Translate("de", "1 I FILES \"@2%s enthaelt @1%d Dateien\"\n2 W PADDED \"@1%*d Stueck\"\n"
                         "3 I READY \"Bereit.\"\n").string(),
       kBaseTable, QOMSG_OK, ""},
      {"partial table", t.base().string(), {{2, "%*d"}}, QOMSG_OK, ""},
      {"other mapping", t.OwnMapping("other", "1 I FILES \"@1%d files in @2%s\"\n").string(), kBaseTable,
       QOMSG_ERR_CHECKSUM, "checksum "},
      {"changed type",
       t.Translate("type", "1 I FILES \"@1%ld files in @2%s\"\n2 W PADDED \"@1%*d\"\n3 I READY \"x\"\n").string(),
       kBaseTable, QOMSG_ERR_SIGNATURE,
       "message 1: argument 1 type differs: catalogue \"%ld%s\", client \"%d%s\""},
      {"changed stars",
       t.Translate("stars", "1 I FILES \"@1%d in @2%s\"\n2 W PADDED \"@1%d items\"\n3 I READY \"x\"\n").string(),
       kBaseTable, QOMSG_ERR_SIGNATURE, "message 2: argument 1 stars differ: catalogue \"%d\", client \"%*d\""},
      {"argument left out",
       t.Translate("count", "1 I FILES \"@1%d files\"\n2 W PADDED \"@1%*d\"\n3 I READY \"x\"\n").string(),
       kBaseTable, QOMSG_ERR_SIGNATURE,
       "message 1: argument count differs: catalogue \"%d\", client \"%d%s\""},
      {"missing message", missing, {{1, "%d%s"}, {2, "%*d"}}, QOMSG_ERR_SIGNATURE,
       "message 2: missing from the catalogue"},
      {"table row without a signature", t.base().string(), {{1, "%d%s"}, {2, nullptr}}, QOMSG_ERR_ARGUMENT,
       "table row 1 (message 2) holds no signature"},
      {"table row of no signature form", t.base().string(), {{1, "%5d%s"}}, QOMSG_ERR_ARGUMENT,
       "table row 0 (message 1) holds no signature"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Outcome file = OpenFile(row.file, t.checksum(), row.table);
    EXPECT_EQ(file.rc, row.rc) << file.detail;
    EXPECT_EQ(file.returned, row.rc == QOMSG_OK);
    // The checksum detail carries both numbers, so only its start is fixed.
    EXPECT_EQ(file.detail.substr(0, row.rc == QOMSG_ERR_CHECKSUM ? row.detail.size() : std::string::npos),
              row.detail);
    const Outcome memory = OpenMemory(ReadFileBytes(row.file), t.checksum(), row.table);
    EXPECT_EQ(memory.rc, file.rc);
    EXPECT_EQ(memory.detail, file.detail);
    EXPECT_EQ(memory.returned, file.returned);
  }
}

// The checksum detail names both sums; a structural fault is still reported
// as such, before any comparison.
TEST(CheckedOpen, ReportsBothChecksumsAndStructuralFaultsFirst) {
  const kittest::Translations t;
  const Outcome other = OpenFile(t.base().string(), t.checksum() + 1, kBaseTable);
  EXPECT_EQ(other.detail, "checksum " + std::to_string(t.checksum()) + " is not the expected " +
                              std::to_string(t.checksum() + 1) + ": built from another symbol mapping");
  const Outcome garbage = OpenMemory(std::string(64, 'x'), t.checksum(), kBaseTable);
  EXPECT_EQ(garbage.rc, QOMSG_ERR_MAGIC);
  EXPECT_FALSE(garbage.returned);
}

}  // namespace
