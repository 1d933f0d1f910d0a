// Plural messages in the reader, on a hand-assembled catalogue: the form
// each count takes, a form that leaves the count out, the old reader's view
// (the standing form), and the plural tables the open refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog_bytes.h"
#include "qokit/qomsg.h"

namespace {

using namespace std::string_literals;

struct CatalogPtr {
  qomsg_catalog* p = nullptr;
  ~CatalogPtr() { qomsg_close(p); }
};

int Open(const std::string& bytes, CatalogPtr& cat, std::string& detail) {
  char text[256] = "unset";
  const int rc = qomsg_open_memory(bytes.data(), bytes.size(), &cat.p, text, sizeof text);
  detail = text;
  return rc;
}

TEST(PluralReader, EachCountTakesItsForm) {
  CatalogPtr cat;
  std::string detail;
  ASSERT_EQ(Open(kittest::PluralFile(), cat, detail), QOMSG_OK) << detail;
  char buf[64];
  const struct {
    unsigned long n;
    const char* text;
  } rows[] = {{0, "Ordner: 0 Dateien"}, {1, "Ordner: eine Datei"}, {2, "Ordner: 2 Dateien"}, {1000001, "Ordner: 1000001 Dateien"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.n);
    const int count = static_cast<int>(row.n);
    EXPECT_EQ(qomsg_format_plural(cat.p, 1, row.n, buf, sizeof buf, "Ordner", count), static_cast<int>(strlen(row.text)));
    EXPECT_STREQ(buf, row.text);
    EXPECT_EQ(qomsg_format_plural_checked(cat.p, 1, row.n, buf, sizeof buf, "%s%d", "Ordner", count),
              static_cast<int>(strlen(row.text)));
    EXPECT_STREQ(buf, row.text);
    qomsg_arg args[2];
    args[0].type = QOMSG_ARG_POINTER;
    args[0].v.p = "Ordner";
    args[1].type = QOMSG_ARG_INT;
    args[1].v.i = count;
    EXPECT_EQ(qomsg_format_plural_args(cat.p, 1, row.n, buf, sizeof buf, args, 2), static_cast<int>(strlen(row.text)));
    EXPECT_STREQ(buf, row.text);
    // Bounded like qomsg_format: the length of the whole text, the buffer cut.
    char small[8];
    EXPECT_EQ(qomsg_format_plural(cat.p, 1, row.n, small, sizeof small, "Ordner", count), static_cast<int>(strlen(row.text)));
    EXPECT_EQ(std::string(small), std::string(row.text).substr(0, 7));
  }
  // A reader that knows nothing of plurals gets the standing form.
  EXPECT_EQ(qomsg_format(cat.p, 1, buf, sizeof buf, "Ordner", 1), 17);
  EXPECT_STREQ(buf, "Ordner: 1 Dateien");
  // A message that is not plural ignores n; a missing one is not found.
  EXPECT_EQ(qomsg_format_plural(cat.p, 2, 1, buf, sizeof buf, "Welt"), 10);
  EXPECT_STREQ(buf, "Hallo Welt");
  EXPECT_EQ(qomsg_format_plural(cat.p, 7, 1, buf, sizeof buf), QOMSG_ERR_NOT_FOUND);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(qomsg_format_plural(nullptr, 1, 1, buf, sizeof buf), QOMSG_ERR_ARGUMENT);
  // The arguments must still fit the message's, the left-out count included.
  qomsg_arg wrong[2];
  wrong[0].type = QOMSG_ARG_POINTER;
  wrong[0].v.p = "Ordner";
  wrong[1].type = QOMSG_ARG_DOUBLE;
  wrong[1].v.d = 1.0;
  EXPECT_EQ(qomsg_format_plural_args(cat.p, 1, 1, buf, sizeof buf, wrong, 2), QOMSG_ERR_ARGUMENT);
  EXPECT_EQ(qomsg_format_plural_args(cat.p, 1, 1, buf, sizeof buf, wrong, 1), QOMSG_ERR_ARGUMENT);
}

TEST(PluralReader, ACatalogueWithoutPluralsIgnoresTheCount) {
  CatalogPtr cat;
  std::string detail;
  ASSERT_EQ(Open(kittest::TwoMessageFile(), cat, detail), QOMSG_OK) << detail;
  char buf[32];
  EXPECT_EQ(qomsg_format_plural(cat.p, 1, 1, buf, sizeof buf, "x"), 7);
  EXPECT_STREQ(buf, "Hello x");
}

TEST(PluralReader, RefusesABadPluralTable) {
  const struct {
    const char* name;
    void (*spoil)(kittest::PluralParts&);
    const char* detail;  // the start of the fault's description
  } rows[] = {
      {"unknown layout", [](kittest::PluralParts& p) { p.layout = 2; }, "plural layout 2"},
      {"table not the highest", [](kittest::PluralParts& p) { p.table_number = 3; }, "the plural table 3"},
      {"no header", [](kittest::PluralParts& p) { p.table = "\1qokit 1\nnplurals=2; plural=(n != 1);\n1 1 3 2 0\n\0"s; },
       "the plural table has no header"},
      {"rule divides by zero", [](kittest::PluralParts& p) { p.table = "\1qokit-plural 1\nnplurals=2; plural=n%%0;\n1 1 3 2 0\n\0"s; },
       "the plural rule is refused"},
      {"another standing form", [](kittest::PluralParts& p) { p.table = "\1qokit-plural 1\nnplurals=2; plural=(n != 1);\n1 0 3 2 -\n\0"s; },
       "line 3 of the plural table"},
      {"form of another type", [](kittest::PluralParts& p) { p.form0 = "\1%s: eine Datei %s\0"s; }, "form 0 of plural message 1"},
      {"count not at the end", [](kittest::PluralParts& p) { p.form0 = "\1%s: eine %d Datei\0"s; }, "form 0 of plural message 1"},
      {"table names a form out of the catalogue",
       [](kittest::PluralParts& p) { p.table = "\1qokit-plural 1\nnplurals=3; plural=(n != 1);\n1 2 3 2 -\n\0"s; }, "line 3"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    kittest::PluralParts parts;
    row.spoil(parts);
    CatalogPtr cat;
    std::string detail;
    EXPECT_EQ(Open(kittest::PluralFile(parts), cat, detail), QOMSG_ERR_PLURAL);
    EXPECT_EQ(detail.substr(0, strlen(row.detail)), row.detail);
    EXPECT_EQ(cat.p, nullptr);
  }
  EXPECT_STREQ(qomsg_strerror(QOMSG_ERR_PLURAL), "bad plural table");
}

}  // namespace
