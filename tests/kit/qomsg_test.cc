// The message catalogue reader on hand-assembled object files.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "catalog_bytes.h"
#include "compiled_text.h"
#include "insert_syntax.h"
#include "qokit/qomsg.h"
#include "signature.h"
#include "temp_dir.h"

using kittest::Block;
using kittest::Control;
using kittest::Header;
using kittest::kFiller;
using kittest::kReordered;
using kittest::OneBlockMessage;
using kittest::TwoMessageFile;

namespace {

using namespace std::string_literals;

struct CatalogPtr {
  qomsg_catalog* p = nullptr;
  ~CatalogPtr() { qomsg_close(p); }
};

int Open(const std::string& bytes, CatalogPtr& cat, std::string* detail = nullptr) {
  char text[256] = "unset";
  const int rc = qomsg_open_memory(bytes.data(), bytes.size(), &cat.p, text, sizeof text);
  if (detail) *detail = text;
  return rc;
}

TEST(QomsgReader, ReadsControlBlockAndMessages) {
  CatalogPtr cat;
  ASSERT_EQ(Open(TwoMessageFile(), cat), QOMSG_OK);
  qomsg_info info;
  ASSERT_EQ(qomsg_get_info(cat.p, &info), QOMSG_OK);
  EXPECT_EQ(info.min_msg_num, 1);
  EXPECT_EQ(info.max_msg_num, 3);
  EXPECT_EQ(info.msg_count, 2);
  EXPECT_EQ(info.checksum, 1234);
  EXPECT_EQ(info.date_fmt, 2);
  EXPECT_EQ(info.time_fmt, 3);
  EXPECT_EQ(info.number_fmt, 4);
  EXPECT_STREQ(info.comp_date, "Mon Dec  7 21:00:00 2026");

  qomsg_message m;
  ASSERT_EQ(qomsg_lookup(cat.p, 3, &m), QOMSG_OK);
  EXPECT_EQ(m.severity, 5);
  EXPECT_STREQ(m.response, "Y");
  EXPECT_EQ(m.compiled_len, 70u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.compiled), m.compiled_len), kReordered);
  EXPECT_EQ(m.in_order, 0);
  EXPECT_EQ(m.insert_count, 2);

  qomsg_insert ins;
  ASSERT_EQ(qomsg_get_insert(cat.p, 3, 1, &ins), QOMSG_OK);
  EXPECT_EQ(ins.position, 1);
  EXPECT_EQ(std::string(ins.conversion, ins.conversion_len), "%s");
  EXPECT_EQ(ins.type, QOMSG_ARG_POINTER);
  EXPECT_EQ(qomsg_get_insert(cat.p, 3, 3, &ins), QOMSG_ERR_ARGUMENT);

  EXPECT_EQ(qomsg_next_number(cat.p, 0), 1);
  EXPECT_EQ(qomsg_next_number(cat.p, 1), 3);
  EXPECT_EQ(qomsg_next_number(cat.p, 3), QOMSG_NONE);
  for (long missing : {0L, 2L, 4L, -1L, 50000L}) EXPECT_EQ(qomsg_lookup(cat.p, missing, &m), QOMSG_ERR_NOT_FOUND);
}

TEST(QomsgReader, FormatsWithVariadicArgumentsInArgumentOrder) {
  CatalogPtr cat;
  ASSERT_EQ(Open(TwoMessageFile(), cat), QOMSG_OK);
  char buf[128];
  EXPECT_EQ(qomsg_format(cat.p, 1, buf, sizeof buf, "world"), 11);
  EXPECT_STREQ(buf, "Hello world");
  const std::string expected = "42" + kFiller + "abc";
  EXPECT_EQ(qomsg_format(cat.p, 3, buf, sizeof buf, "abc", 42), static_cast<int>(expected.size()));
  EXPECT_EQ(buf, expected);
  EXPECT_EQ(qomsg_format(cat.p, 2, buf, sizeof buf), QOMSG_ERR_NOT_FOUND);
}

TEST(QomsgReader, FormatIsBoundedAndReturnsTheNeededLength) {
  CatalogPtr cat;
  ASSERT_EQ(Open(TwoMessageFile(), cat), QOMSG_OK);
  char buf[6] = "xxxxx";
  EXPECT_EQ(qomsg_format(cat.p, 1, buf, 5, "world"), 11);
  EXPECT_STREQ(buf, "Hell");
  EXPECT_EQ(buf[5], '\0');
  EXPECT_EQ(qomsg_format(cat.p, 1, nullptr, 0, "world"), 11);
  char one[1] = {'x'};
  EXPECT_EQ(qomsg_format(cat.p, 3, one, 1, "abc", 7), 57);
  EXPECT_EQ(one[0], '\0');
}

// One message file around a single compiled text, for the formatting table.
std::string SingleMessageFile(const std::string& compiled) {
  Block index;
  index.U16(0, 3);
  return Control(1, 1, 1, 99).bytes + index.bytes + OneBlockMessage(4, "", compiled).bytes;
}

qomsg_arg I(int v) { qomsg_arg a{}; a.type = QOMSG_ARG_INT; a.v.i = v; return a; }
qomsg_arg L(long v) { qomsg_arg a{}; a.type = QOMSG_ARG_LONG; a.v.l = v; return a; }
qomsg_arg D(double v) { qomsg_arg a{}; a.type = QOMSG_ARG_DOUBLE; a.v.d = v; return a; }
qomsg_arg S(const char* v) { qomsg_arg a{}; a.type = QOMSG_ARG_POINTER; a.v.p = v; return a; }

struct FormatRow {
  const char* name;
  std::string compiled;
  std::vector<qomsg_arg> args;
  std::string expected;  // or empty with `error` set
  int error = 0;
};

TEST(QomsgReader, FormatsCompiledTexts) {
  const FormatRow rows[] = {
      {"plain", "\1Ready.\0"s, {}, "Ready."},
      {"in order", "\1File %s has %d records.\0"s, {S("a.txt"), I(7)}, "File a.txt has 7 records."},
      {"percent escapes", "\1"s + "100%% sure %5.2f; 50%%!\0"s, {D(3.14159)}, "100% sure  3.14; 50%!"},
      {"stars", "\1[%*d|%-*.*s]\0"s, {I(4), I(7), I(6), I(3), S("abcdef")}, "[   7|abc   ]"},
      {"long and octal", "\1%ld/%lo/%hd/%c\0"s, {L(-5000000000L), L(8), I(70000), I(65)}, "-5000000000/10/4464/A"},
      {"null string", "\1<%s>\0"s, {S(nullptr)}, "<(null)>"},
      {"reordered", "\0\2\1\0\0\1%d\0\0\0%s\0\0: \0\0"s, {S("x"), I(5)}, "5: x"},
      {"reordered prints %% as %", "\0\2\1\0\0\1%d\0\0\0%s\0%%\0 100%%\0!\0"s, {S("x"), I(5)}, "%5 100%x!"},
      {"reordered stars", "\0\2\1\0\0\0%s\0\1\1%*d\0\0-\0\0"s, {I(3), I(9), S("y")}, "y-  9"},
      {"grouping flag", "\1%'d|%'.2f|%'lld\0"s, {I(1234567), D(1234.5), L(-9876543210L)}, "1234567|1234.50|-9876543210"},
      {"length letters recorded as long", "\0\2\1\0\0\2%llx\0\0\2%lli\0\0 \0\0"s, {L(-3), L(255)}, "ff -3"},
      {"too few arguments", "\1%d %d\0"s, {I(1)}, "", QOMSG_ERR_ARGUMENT},
      {"further arguments are ignored", "\1%d\0"s, {I(1), I(2), S("x")}, "1"},
      {"wrong type", "\1%s\0"s, {I(1)}, "", QOMSG_ERR_ARGUMENT},
      {"star must be int", "\1%*d\0"s, {L(1), I(2)}, "", QOMSG_ERR_ARGUMENT},
  };
  for (const FormatRow& row : rows) {
    SCOPED_TRACE(row.name);
    CatalogPtr cat;
    std::string detail;
    ASSERT_EQ(Open(SingleMessageFile(row.compiled), cat, &detail), QOMSG_OK) << detail;
    char buf[256];
    const int n = qomsg_format_args(cat.p, 1, buf, sizeof buf, row.args.data(), row.args.size());
    if (row.error != 0) {
      EXPECT_EQ(n, row.error);
      continue;
    }
    EXPECT_EQ(n, static_cast<int>(row.expected.size()));
    EXPECT_EQ(buf, row.expected);
  }
}

// Texts that the compiler cannot write are refused when the file is opened,
// not printed literally or misread while formatting.
TEST(QomsgReader, RefusesAtOpenWhatPrintfWouldReadOtherwise) {
  const struct {
    const char* name;
    std::string compiled;
  } rows[] = {
      {"percent at the end", "\1"s + "50%\0"s},
      {"size_t length", "\1%zu items\0"s},
      {"conversion running on to a later letter", "\1v=%F items %s\0"s},
      {"glibc I flag", "\1%Id\0"s},
      {"positional conversion", "\1%1$d\0"s},
      {"wide character", "\1%lc\0"s},
      {"long double", "\1%Lf\0"s},
      {"L on an integer", "\1%Ld\0"s},
      {"reordered conversion of another size", "\0\2\1\0\0\1%zd\0\0\0%s\0\0 \0\0"s},
      {"reordered piece with a lone percent", "\0\2\1\0\0\1%d\0\0\0%s\0\0 5% \0\0"s},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    CatalogPtr cat;
    std::string detail;
    EXPECT_EQ(Open(SingleMessageFile(row.compiled), cat, &detail), QOMSG_ERR_TEXT) << detail;
    EXPECT_EQ(cat.p, nullptr);
  }
}

// On every error the caller's buffer holds an empty text.
TEST(QomsgReader, ErrorsLeaveATerminatedEmptyBuffer) {
  CatalogPtr cat;
  ASSERT_EQ(Open(TwoMessageFile(), cat), QOMSG_OK);
  char buf[16] = "stale";
  EXPECT_EQ(qomsg_format(cat.p, 2, buf, sizeof buf), QOMSG_ERR_NOT_FOUND);
  EXPECT_STREQ(buf, "");
  std::strcpy(buf, "stale");
  EXPECT_EQ(qomsg_format(nullptr, 1, buf, sizeof buf), QOMSG_ERR_ARGUMENT);
  EXPECT_STREQ(buf, "");
  std::strcpy(buf, "stale");
  EXPECT_EQ(qomsg_format_args(cat.p, 1, buf, sizeof buf, nullptr, 0), QOMSG_ERR_ARGUMENT);
  EXPECT_STREQ(buf, "");
}

struct CorruptRow {
  const char* name;
  std::function<void(std::string&)> mutate;
  int error;
};

void SetByte(std::string& f, std::size_t at, int v) { f[at] = static_cast<char>(v); }
void SetU16(std::string& f, std::size_t at, uint32_t v) {
  SetByte(f, at, static_cast<int>(v & 0xFF));
  SetByte(f, at + 1, static_cast<int>(v >> 8));
}

TEST(QomsgReader, RejectsCorruptFiles) {
  // Offsets: control block 0, index 64, message 1 at 128 (text from 130),
  // message 3 at 192 and 256 (response at 194, compiled text from 195).
  const CorruptRow rows[] = {
      {"empty", [](std::string& f) { f.clear(); }, QOMSG_ERR_TRUNCATED},
      {"partial block", [](std::string& f) { f.resize(f.size() - 10); }, QOMSG_ERR_TRUNCATED},
      {"longer than 65535 blocks", [](std::string& f) { f.resize(65536 * 64); }, QOMSG_ERR_TRUNCATED},
      {"last block missing", [](std::string& f) { f.resize(f.size() - 64); }, QOMSG_ERR_CHAIN},
      {"only the control block", [](std::string& f) { f.resize(64); }, QOMSG_ERR_INDEX},
      {"bad magic", [](std::string& f) { SetByte(f, 3, 'W'); }, QOMSG_ERR_MAGIC},
      {"highest number too large", [](std::string& f) { SetU16(f, 8, 50000); }, QOMSG_ERR_CONTROL},
      {"negative count", [](std::string& f) { SetByte(f, 15, 0x80); }, QOMSG_ERR_CONTROL},
      {"count disagrees", [](std::string& f) { SetByte(f, 12, 3); }, QOMSG_ERR_CONTROL},
      {"lowest number disagrees", [](std::string& f) { SetByte(f, 4, 2); }, QOMSG_ERR_CONTROL},
      {"date format 0", [](std::string& f) { SetByte(f, 20, 0); }, QOMSG_ERR_CONTROL},
      {"number format 7", [](std::string& f) { SetByte(f, 22, 7); }, QOMSG_ERR_CONTROL},
      {"date not terminated", [](std::string& f) { f.replace(32, 32, std::string(32, 'x')); }, QOMSG_ERR_CONTROL},
      {"index past the end", [](std::string& f) { SetU16(f, 68, 9); }, QOMSG_ERR_INDEX},
      {"index into the index", [](std::string& f) { SetU16(f, 64, 2); }, QOMSG_ERR_INDEX},
      {"index entry beyond the highest number", [](std::string& f) { SetU16(f, 70, 5); }, QOMSG_ERR_INDEX},
      {"overlapping chains", [](std::string& f) { SetU16(f, 68, 3); }, QOMSG_ERR_CHAIN},
      {"chain without end", [](std::string& f) { SetU16(f, 256, Header(true, 5, 0, 62)); }, QOMSG_ERR_CHAIN},
      {"block after the last message", [](std::string& f) { f += std::string(64, '\0'); }, QOMSG_ERR_CHAIN},
      {"text count beyond the block", [](std::string& f) { SetU16(f, 128, Header(false, 6, 0, 63)); }, QOMSG_ERR_BLOCK},
      {"response and text beyond the block", [](std::string& f) { SetU16(f, 192, Header(true, 5, 7, 61)); }, QOMSG_ERR_BLOCK},
      {"continued block not full", [](std::string& f) { SetU16(f, 192, Header(true, 5, 1, 60)); }, QOMSG_ERR_BLOCK},
      {"response in a continuation", [](std::string& f) { SetU16(f, 256, Header(false, 5, 1, 9)); }, QOMSG_ERR_BLOCK},
      {"severity changes in the chain", [](std::string& f) { SetU16(f, 256, Header(false, 4, 0, 9)); }, QOMSG_ERR_BLOCK},
      {"NUL in a response", [](std::string& f) { SetByte(f, 194, 0); }, QOMSG_ERR_TEXT},
      {"order flag 2", [](std::string& f) { SetByte(f, 130, 2); }, QOMSG_ERR_TEXT},
      {"in-order text not terminated", [](std::string& f) { SetByte(f, 139, 'x'); }, QOMSG_ERR_TEXT},
      {"NUL inside an in-order text", [](std::string& f) { SetByte(f, 133, 0); }, QOMSG_ERR_TEXT},
      {"position map repeats", [](std::string& f) { SetByte(f, 198, 1); }, QOMSG_ERR_TEXT},
      {"position map out of range", [](std::string& f) { SetByte(f, 197, 2); }, QOMSG_ERR_TEXT},
      {"type code disagrees", [](std::string& f) { SetByte(f, 200, 3); }, QOMSG_ERR_TEXT},
      {"star count disagrees", [](std::string& f) { SetByte(f, 199, 1); }, QOMSG_ERR_TEXT},
      {"conversion without letter", [](std::string& f) { SetByte(f, 202, 'q'); }, QOMSG_ERR_TEXT},
      {"insert count claims more", [](std::string& f) { SetByte(f, 196, 3); }, QOMSG_ERR_TEXT},
      {"piece not terminated", [](std::string& f) { SetByte(f, 256 + 10, 'x'); }, QOMSG_ERR_TEXT},
  };
  const std::string good = TwoMessageFile();
  {
    CatalogPtr cat;
    ASSERT_EQ(Open(good, cat), QOMSG_OK);
  }
  for (const CorruptRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::string bad = good;
    row.mutate(bad);
    CatalogPtr cat;
    std::string detail;
    EXPECT_EQ(Open(bad, cat, &detail), row.error) << detail;
    EXPECT_EQ(cat.p, nullptr);
    EXPECT_FALSE(detail.empty());
  }
}

TEST(QomsgReader, OpensFilesAndReportsMissingOnes) {
  TempDir dir;
  const auto path = dir.Write("msgs.obj", TwoMessageFile());
  CatalogPtr cat;
  EXPECT_EQ(qomsg_open_file(path.c_str(), &cat.p, nullptr, 0), QOMSG_OK);
  CatalogPtr none;
  char detail[200];
  EXPECT_EQ(qomsg_open_file((dir / "absent.obj").c_str(), &none.p, detail, sizeof detail), QOMSG_ERR_IO);
  EXPECT_NE(std::string(detail).find("absent.obj"), std::string::npos);
}

TEST(QomsgReader, EmptyCatalogueHasNoMessages) {
  CatalogPtr cat;
  ASSERT_EQ(Open(Control(0, 0, 0, 0).bytes, cat), QOMSG_OK);
  EXPECT_EQ(qomsg_next_number(cat.p, 0), QOMSG_NONE);
}

// The open passes a "%" and a letter without judging it, and a signature
// entry of that form without parsing it: printf must read every such pair as
// the conversion of its recorded type.
TEST(QomsgReader, EveryLetterAloneIsASoundConversionAndItsOwnSignature) {
  for (const char letter : qokit::format::kConversionLetters) {
    const std::string conversion = {'%', letter};
    EXPECT_EQ(qokit::format::Judge(conversion), qokit::format::Verdict::kSound) << conversion;
    EXPECT_EQ(qokit::format::SignatureEntry(conversion), conversion);
  }
}

TEST(QomsgReader, IndexCrossesIntoASecondBlockAtMessage33) {
  Block index1, index2;
  index2.U16(0, 4);  // entry 32 of the index, message 33, in the second index block
  const std::string file = Control(33, 33, 1, 1).bytes + index1.bytes + index2.bytes +
                           OneBlockMessage(0, "", "\1x\0"s).bytes;
  CatalogPtr cat;
  ASSERT_EQ(Open(file, cat), QOMSG_OK);
  qomsg_message m;
  EXPECT_EQ(qomsg_lookup(cat.p, 33, &m), QOMSG_OK);
}

}  // namespace
