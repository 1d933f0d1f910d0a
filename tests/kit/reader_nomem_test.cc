// The readers under an allocator that fails where the test says: every open
// returns its *_ERR_NOMEM for each allocation short of success and leaves no
// allocation behind, nothing throws, and looking up and formatting allocate
// nothing at all. And the real thing: an open under an address-space limit
// too small for the file ends in QOMSG_ERR_NOMEM, not in an abort.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "catalog_bytes.h"
#include "failing_allocator.h"
#include "help_bytes.h"
#include "qokit/qohlp.h"
#include "qokit/qomsg.h"
#include "temp_dir.h"

namespace {

using kittest::TwoMessageFile;
using namespace std::string_literals;

// Runs `open` with allocation N failing, for N = 0, 1, ... until one runs
// with no allocation failed; `open` closes what it opened and returns its
// status. Each failed run must return `nomem` and leave nothing allocated.
void FailEachAllocation(const std::function<int()>& open, int ok, int nomem) {
  for (long n = 0;; ++n) {
    ASSERT_LT(n, 1000) << "never opened";
    const long before = failing_allocator::Live();
    failing_allocator::FailAfter(n);
    int rc = 0;
    try {
      rc = open();
    } catch (const std::bad_alloc&) {
      failing_allocator::FailAfter(-1);
      FAIL() << "allocation " << n << " failed and std::bad_alloc left the reader";
    }
    const bool failed = failing_allocator::Failed();
    failing_allocator::FailAfter(-1);
    EXPECT_EQ(failing_allocator::Live(), before) << "allocation " << n << " failed and left allocations";
    if (!failed) {
      EXPECT_EQ(rc, ok) << "with every allocation made";
      return;
    }
    EXPECT_EQ(rc, nomem) << "allocation " << n << " failed";
  }
}

// Closes what an open opened; its status, which must be OK exactly when it
// opened something.
template <typename Handle>
int Closed(int rc, Handle* handle, void (*close)(Handle*)) {
  if ((rc == 0) != (handle != nullptr)) ADD_FAILURE() << "status " << rc << " with handle " << handle;
  close(handle);
  return rc;
}

// Sets environment variables for the life of the object.
class Environment {
 public:
  Environment(std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name);
      saved_.push_back({name, old != nullptr, old != nullptr ? old : ""});
      setenv(name, value, 1);
    }
  }
  ~Environment() {
    for (const Saved& s : saved_) s.set ? setenv(s.name, s.value.c_str(), 1) : unsetenv(s.name);
  }

 private:
  struct Saved {
    const char* name;
    bool set;
    std::string value;
  };
  std::vector<Saved> saved_;
};

TEST(ReaderOutOfMemory, EveryOpenReportsItAndLeaksNothing) {
  TempDir dir;
  const std::string bytes = TwoMessageFile();
  const std::string path = dir.Write("demo.obj", bytes).string();
  std::filesystem::create_directory(dir / "de");
  dir.Write("de/demo.obj", bytes);
  const qomsg_signature fits[] = {{1, "%s"}, {3, "%s%d"}};
  const qomsg_signature differs[] = {{1, "%s"}, {3, "%s%s"}};
  const Environment env{{"LANGUAGE", "de_AT:fr"}, {"LC_ALL", "de_AT.UTF-8"}};
  char detail[256];
  const struct {
    const char* name;
    std::function<int()> open;
    int ok;
  } opens[] = {
      {"open_file",
       [&] {
         qomsg_catalog* c = nullptr;
         const int rc = qomsg_open_file(path.c_str(), &c, detail, sizeof detail);
         return Closed(rc, c, qomsg_close);
       },
       QOMSG_OK},
      {"open_memory",
       [&] {
         qomsg_catalog* c = nullptr;
         const int rc = qomsg_open_memory(bytes.data(), bytes.size(), &c, detail, sizeof detail);
         return Closed(rc, c, qomsg_close);
       },
       QOMSG_OK},
      {"open_checked",
       [&] {
         qomsg_catalog* c = nullptr;
         const int rc = qomsg_open_checked(path.c_str(), 1234, fits, 2, &c, detail, sizeof detail);
         return Closed(rc, c, qomsg_close);
       },
       QOMSG_OK},
      {"open_memory_checked, a signature differs",
       [&] {
         qomsg_catalog* c = nullptr;
         const int rc =
             qomsg_open_memory_checked(bytes.data(), bytes.size(), 1234, differs, 2, &c, detail, sizeof detail);
         return Closed(rc, c, qomsg_close);
       },
       QOMSG_ERR_SIGNATURE},
      {"open_locale",
       [&] {
         qomsg_catalog* c = nullptr;
         const int rc =
             qomsg_open_locale(dir.path().c_str(), "demo", 1234, fits, 2, &c, nullptr, 0, detail, sizeof detail);
         return Closed(rc, c, qomsg_close);
       },
       QOMSG_OK},
  };
  for (const auto& row : opens) {
    SCOPED_TRACE(row.name);
    FailEachAllocation(row.open, row.ok, QOMSG_ERR_NOMEM);
  }

  // A refused plural rule says why in a string of its own.
  kittest::PluralParts bad_rule;
  bad_rule.table = "\1qokit-plural 1\nnplurals=2; plural=n%%0;\n1 1 3 2 0\n\0"s;
  const struct {
    std::string bytes;
    int ok;
  } plurals[] = {{kittest::PluralFile(), QOMSG_OK}, {kittest::PluralFile(bad_rule), QOMSG_ERR_PLURAL}};
  for (const auto& plural : plurals) {
    FailEachAllocation(
        [&] {
          qomsg_catalog* c = nullptr;
          const int rc = qomsg_open_memory(plural.bytes.data(), plural.bytes.size(), &c, detail, sizeof detail);
          return Closed(rc, c, qomsg_close);
        },
        plural.ok, QOMSG_ERR_NOMEM);
  }

  const std::string help = kittest::FourHeadingFile();
  const std::string help_path = dir.Write("help.hlp", help).string();
  FailEachAllocation(
      [&] {
        qohlp_file* f = nullptr;
        const int rc = qohlp_open_file(help_path.c_str(), QOHLP_CURRENT, &f, detail, sizeof detail);
        return Closed(rc, f, qohlp_close);
      },
      QOHLP_OK, QOHLP_ERR_NOMEM);
  const std::string legacy = kittest::LegacyFile();
  FailEachAllocation(
      [&] {
        qohlp_file* f = nullptr;
        const int rc = qohlp_open_memory(legacy.data(), legacy.size(), QOHLP_LEGACY, &f, detail, sizeof detail);
        return Closed(rc, f, qohlp_close);
      },
      QOHLP_OK, QOHLP_ERR_NOMEM);
}

TEST(ReaderOutOfMemory, LookingUpAndFormattingAllocateNothing) {
  const std::string bytes = TwoMessageFile();
  qomsg_catalog* cat = nullptr;
  ASSERT_EQ(qomsg_open_memory(bytes.data(), bytes.size(), &cat, nullptr, 0), QOMSG_OK);
  const std::string plural_bytes = kittest::PluralFile();
  qomsg_catalog* plural = nullptr;
  ASSERT_EQ(qomsg_open_memory(plural_bytes.data(), plural_bytes.size(), &plural, nullptr, 0), QOMSG_OK);
  const std::string help = kittest::FourHeadingFile();
  qohlp_file* file = nullptr;
  ASSERT_EQ(qohlp_open_memory(help.data(), help.size(), QOHLP_CURRENT, &file, nullptr, 0), QOHLP_OK);

  const long before = failing_allocator::Made();
  char buf[128];
  qomsg_arg args[2] = {};
  args[0].type = QOMSG_ARG_POINTER;
  args[0].v.p = "abc";
  args[1].type = QOMSG_ARG_INT;
  args[1].v.i = 42;
  qomsg_message message;
  qomsg_insert insert;
  qohlp_section section;
  const char* text = nullptr;
  size_t length = 0;
  for (const long number : {1L, 3L}) {  // in argument order, and reordered over two blocks
    EXPECT_GT(qomsg_format(cat, number, buf, sizeof buf, "abc", 42), 0);
    EXPECT_GT(qomsg_format_checked(cat, number, buf, sizeof buf, "%s%d", "abc", 42), 0);
    EXPECT_GT(qomsg_format_args(cat, number, buf, sizeof buf, args, 2), 0);
    EXPECT_EQ(qomsg_lookup(cat, number, &message), QOMSG_OK);
    EXPECT_EQ(qomsg_get_insert(cat, number, 1, &insert), QOMSG_OK);
  }
  EXPECT_EQ(qomsg_next_number(cat, 1), 3);
  for (const unsigned long n : {0UL, 1UL, 2UL}) {  // a form that shows the count, and one that leaves it out
    EXPECT_GT(qomsg_format_plural(plural, 1, n, buf, sizeof buf, "abc", 42), 0);
    EXPECT_GT(qomsg_format_plural_checked(plural, 1, n, buf, sizeof buf, "%s%d", "abc", 42), 0);
    EXPECT_GT(qomsg_format_plural_args(plural, 1, n, buf, sizeof buf, args, 2), 0);
  }
  for (unsigned i = 0; i < 4; ++i) {
    EXPECT_EQ(qohlp_get_section(file, i, &section), QOHLP_OK);
    EXPECT_EQ(qohlp_get_bytes(file, i, &text, &length), QOHLP_OK);
    EXPECT_EQ(qohlp_get_line(file, i, 0, &text, &length), QOHLP_OK);
  }
  EXPECT_EQ(qohlp_find_link(file, 30), 2);
  EXPECT_EQ(failing_allocator::Made(), before);
  qomsg_close(cat);
  qomsg_close(plural);
  qohlp_close(file);
}

#if !defined(__SANITIZE_ADDRESS__)
// A catalogue of 40,000 one-block messages, opened by a child whose address
// space has room for everything but the file's bytes.
TEST(ReaderOutOfMemory, AnAddressSpaceLimitIsAStatusNotAnAbort) {
  constexpr int kMessages = 40000;
  std::string file = kittest::Control(1, kMessages, kMessages, 0).bytes;
  const int index_blocks = (kMessages + 31) / 32;
  std::string index(static_cast<std::size_t>(index_blocks) * 64, '\0');
  for (int n = 1; n <= kMessages; ++n) {
    const int block = index_blocks + 1 + n;
    index[2 * (n - 1)] = static_cast<char>(block & 0xFF);
    index[2 * (n - 1) + 1] = static_cast<char>(block >> 8);
  }
  file += index;
  for (int n = 1; n <= kMessages; ++n) file += kittest::OneBlockMessage(4, "", "\1message %d\0"s).bytes;
  TempDir dir;
  const std::string path = dir.Write("big.obj", file).string();

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
      std::fclose(statm);
    }
    const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (1 << 20);
    const rlimit rl{limit, limit};
    if (pages == 0 || setrlimit(RLIMIT_AS, &rl) != 0) _exit(2);
    qomsg_catalog* cat = nullptr;
    const int rc = qomsg_open_file(path.c_str(), &cat, nullptr, 0);
    _exit(rc == QOMSG_ERR_NOMEM && cat == nullptr ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

}  // namespace
