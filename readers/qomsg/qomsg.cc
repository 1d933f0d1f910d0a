// The C interface of the message catalogue reader.
#include "qokit/qomsg.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "catalog.h"
#include "compiled_form_walk.h"
#include "detail.h"
#include "file_bytes.h"
#include "formatter.h"
#include "input.h"
#include "locale_search.h"
#include "signature_check.h"

// A qomsg_catalog is a qokit::reader::Catalog; the C name stays an
// incomplete type, so no C++ name outside namespace qokit is defined.
namespace {

using qokit::reader::Catalog;

Catalog* Impl(qomsg_catalog* catalog) { return reinterpret_cast<Catalog*>(catalog); }
const Catalog* Impl(const qomsg_catalog* catalog) { return reinterpret_cast<const Catalog*>(catalog); }

// What a checked open compares the catalogue with.
struct Expected {
  long checksum = 0;
  const qomsg_signature* table = nullptr;
  std::size_t count = 0;
};

// Checks, and when `expected` is given compares, a catalogue's bytes.
int Open(qokit::io::OwnedBytes bytes, const Expected* expected, qomsg_catalog** out, char* detail,
         std::size_t detail_size) {
  std::unique_ptr<Catalog> catalog(new (std::nothrow) Catalog);
  if (catalog == nullptr) {
    qokit::reader::SetDetail(detail, detail_size, qomsg_strerror(QOMSG_ERR_NOMEM));
    return QOMSG_ERR_NOMEM;
  }
  int rc = catalog->Load(std::move(bytes), detail, detail_size);
  if (rc == QOMSG_OK && expected != nullptr) {
    try {
      rc = qokit::reader::CheckCatalog(*catalog, expected->checksum, expected->table, expected->count, detail,
                                       detail_size);
    } catch (const std::bad_alloc&) {
      rc = QOMSG_ERR_NOMEM;
      qokit::reader::SetDetail(detail, detail_size, qomsg_strerror(rc));
    }
  }
  if (rc != QOMSG_OK) return rc;
  qokit::reader::SetDetail(detail, detail_size, "");
  *out = reinterpret_cast<qomsg_catalog*>(catalog.release());
  return QOMSG_OK;
}

// A failed format leaves an empty text, so a caller that prints the buffer
// anyway prints nothing rather than stale or partial bytes.
int Terminated(int rc, char* buf, std::size_t size) {
  if (rc < 0 && buf != nullptr && size > 0) buf[0] = '\0';
  return rc;
}

int Opened(qokit::reader::Input input, qokit::io::OwnedBytes bytes, const Expected* expected, qomsg_catalog** out,
           char* detail, std::size_t detail_size) {
  if (input == qokit::reader::Input::kNoMemory) return QOMSG_ERR_NOMEM;
  if (input == qokit::reader::Input::kUnreadable) return QOMSG_ERR_IO;
  return Open(std::move(bytes), expected, out, detail, detail_size);
}

int OpenFile(const char* path, const Expected* expected, qomsg_catalog** out, char* detail,
             std::size_t detail_size) {
  if (out == nullptr) return QOMSG_ERR_ARGUMENT;
  *out = nullptr;
  qokit::io::OwnedBytes bytes;
  const qokit::reader::Input input =
      qokit::reader::ReadInput(path, qokit::reader::kMaxFileSize, bytes, detail, detail_size);
  return Opened(input, std::move(bytes), expected, out, detail, detail_size);
}

int OpenMemory(const void* data, std::size_t size, const Expected* expected, qomsg_catalog** out,
               char* detail, std::size_t detail_size) {
  if (out == nullptr || (data == nullptr && size > 0)) return QOMSG_ERR_ARGUMENT;
  *out = nullptr;
  qokit::io::OwnedBytes bytes;
  const qokit::reader::Input input = qokit::reader::CopyInput(data, size, bytes, detail, detail_size);
  return Opened(input, std::move(bytes), expected, out, detail, detail_size);
}

const qokit::format::MessageView* Find(const qomsg_catalog* catalog, long number,
                                       qokit::format::MessageView& message) {
  return catalog != nullptr && Impl(catalog)->Find(number, message) ? &message : nullptr;
}

// Counts a text's inserts, or finds the one showing an argument.
struct InsertFinder {
  static constexpr bool kDerivesTypes = true;
  int argument = 0;  // 0: only count
  int count = 0;
  qokit::format::FormInsert found;
  int position = -1;
  void Insert(const qokit::format::FormInsert& insert) {
    if (insert.argument == argument) {
      found = insert;
      position = count;
    }
    ++count;
  }
  void Piece(std::string_view) {}
};

}  // namespace

extern "C" {

const char* qomsg_version(void) { return QOKIT_VERSION; }

const char* qomsg_strerror(int status) {
  switch (status) {
    case QOMSG_OK: return "success";
    case QOMSG_ERR_IO: return "cannot read the file";
    case QOMSG_ERR_NOMEM: return "out of memory";
    case QOMSG_ERR_TRUNCATED: return "file truncated";
    case QOMSG_ERR_MAGIC: return "not a message object file (bad magic)";
    case QOMSG_ERR_CONTROL: return "bad control block";
    case QOMSG_ERR_INDEX: return "bad message index";
    case QOMSG_ERR_CHAIN: return "bad block chain";
    case QOMSG_ERR_BLOCK: return "bad block header";
    case QOMSG_ERR_TEXT: return "malformed message text";
    case QOMSG_ERR_NOT_FOUND: return "no such message";
    case QOMSG_ERR_ARGUMENT: return "invalid argument";
    case QOMSG_ERR_CHECKSUM: return "built from another symbol mapping";
    case QOMSG_ERR_SIGNATURE: return "message arguments differ from the client's";
    case QOMSG_ERR_PLURAL: return "bad plural table";
    default: return "unknown error";
  }
}

int qomsg_open_file(const char* path, qomsg_catalog** out, char* detail, size_t detail_size) {
  return OpenFile(path, nullptr, out, detail, detail_size);
}

int qomsg_open_memory(const void* data, size_t size, qomsg_catalog** out, char* detail,
                      size_t detail_size) {
  return OpenMemory(data, size, nullptr, out, detail, detail_size);
}

int qomsg_open_checked(const char* path, long expected_checksum, const qomsg_signature* table,
                       size_t count, qomsg_catalog** out, char* detail, size_t detail_size) {
  const Expected expected{expected_checksum, table, count};
  return OpenFile(path, &expected, out, detail, detail_size);
}

int qomsg_open_memory_checked(const void* data, size_t size, long expected_checksum,
                              const qomsg_signature* table, size_t count, qomsg_catalog** out,
                              char* detail, size_t detail_size) {
  const Expected expected{expected_checksum, table, count};
  return OpenMemory(data, size, &expected, out, detail, detail_size);
}

int qomsg_open_locale(const char* dir, const char* name, long expected_checksum,
                      const qomsg_signature* table, size_t count, qomsg_catalog** out,
                      char* opened_path, size_t opened_size, char* detail, size_t detail_size) {
  const qokit::reader::Environment environment = [](const char* variable) -> const char* {
    return std::getenv(variable);
  };
  // The search builds its candidates' paths; running out of memory there
  // leaves nothing open.
  try {
    return qokit::reader::OpenForLocale({dir, name, expected_checksum, table, count}, environment, out, opened_path,
                                        opened_size, detail, detail_size);
  } catch (const std::bad_alloc&) {
    if (out != nullptr) {
      qomsg_close(*out);
      *out = nullptr;
    }
    qokit::reader::SetDetail(opened_path, opened_size, "");
    qokit::reader::SetDetail(detail, detail_size, qomsg_strerror(QOMSG_ERR_NOMEM));
    return QOMSG_ERR_NOMEM;
  }
}

void qomsg_close(qomsg_catalog* catalog) { delete Impl(catalog); }

int qomsg_get_info(const qomsg_catalog* catalog, qomsg_info* info) {
  if (catalog == nullptr || info == nullptr) return QOMSG_ERR_ARGUMENT;
  *info = Impl(catalog)->Info();
  return QOMSG_OK;
}

long qomsg_next_number(const qomsg_catalog* catalog, long after) {
  if (catalog == nullptr) return QOMSG_NONE;
  return qokit::format::NextMessageNumber(Impl(catalog)->image(), after);
}

int qomsg_lookup(const qomsg_catalog* catalog, long number, qomsg_message* message) {
  if (catalog == nullptr || message == nullptr) return QOMSG_ERR_ARGUMENT;
  qokit::format::MessageView m;
  if (Find(catalog, number, m) == nullptr) return QOMSG_ERR_NOT_FOUND;
  InsertFinder inserts;
  if (qokit::format::WalkCompiledForm(m.compiled, inserts) != nullptr) return QOMSG_ERR_TEXT;
  message->number = m.number;
  message->severity = m.severity;
  std::memset(message->response, 0, sizeof message->response);
  std::memcpy(message->response, m.response.data(), m.response.size());
  message->compiled = reinterpret_cast<const unsigned char*>(m.compiled.data());
  message->compiled_len = m.compiled.size();
  message->in_order = static_cast<unsigned char>(m.compiled[0]) == qokit::format::kInOrderFlag ? 1 : 0;
  message->insert_count = inserts.count;
  return QOMSG_OK;
}

int qomsg_get_insert(const qomsg_catalog* catalog, long number, int argument, qomsg_insert* insert) {
  if (catalog == nullptr || insert == nullptr) return QOMSG_ERR_ARGUMENT;
  qokit::format::MessageView m;
  if (Find(catalog, number, m) == nullptr) return QOMSG_ERR_NOT_FOUND;
  InsertFinder finder;
  finder.argument = argument;
  if (qokit::format::WalkCompiledForm(m.compiled, finder) != nullptr) return QOMSG_ERR_TEXT;
  if (argument < 1 || finder.position < 0) return QOMSG_ERR_ARGUMENT;
  insert->argument = argument;
  insert->position = finder.position;
  insert->conversion = finder.found.conversion.data();
  insert->conversion_len = finder.found.conversion.size();
  insert->stars = finder.found.stars;
  insert->type = finder.found.type;
  return QOMSG_OK;
}

int qomsg_format_args(const qomsg_catalog* catalog, long number, char* buf, size_t size,
                      const qomsg_arg* args, size_t nargs) {
  qokit::format::MessageView m;
  const int rc = catalog == nullptr                  ? QOMSG_ERR_ARGUMENT
                 : !Impl(catalog)->Find(number, m) ? QOMSG_ERR_NOT_FOUND
                                                    : qokit::reader::FormatCompiled(m.compiled, buf, size, args, nargs);
  return Terminated(rc, buf, size);
}

int qomsg_vformat(const qomsg_catalog* catalog, long number, char* buf, size_t size, va_list ap) {
  qokit::format::MessageView m;
  const int rc = catalog == nullptr                  ? QOMSG_ERR_ARGUMENT
                 : !Impl(catalog)->Find(number, m) ? QOMSG_ERR_NOT_FOUND
                                                    : qokit::reader::FormatCompiled(m.compiled, buf, size, ap);
  return Terminated(rc, buf, size);
}

int qomsg_format_checked(const qomsg_catalog* catalog, long number, char* buf, size_t size,
                         const char* signature, ...) {
  va_list ap;
  va_start(ap, signature);
  const int rc = qomsg_vformat(catalog, number, buf, size, ap);
  va_end(ap);
  return rc;
}

int qomsg_format_plural_args(const qomsg_catalog* catalog, long number, unsigned long n, char* buf, size_t size,
                             const qomsg_arg* args, size_t count) {
  if (catalog == nullptr) return Terminated(QOMSG_ERR_ARGUMENT, buf, size);
  const qokit::reader::PluralIndex::Form form = Impl(catalog)->plurals().FormFor(number, n);
  qokit::format::MessageView m;
  const int rc = !Impl(catalog)->Find(form.number, m) ? QOMSG_ERR_NOT_FOUND
                 : form.leaves_count ? qokit::reader::FormatLeavingCount(m.compiled, buf, size, args, count)
                                     : qokit::reader::FormatCompiled(m.compiled, buf, size, args, count);
  return Terminated(rc, buf, size);
}

int qomsg_vformat_plural(const qomsg_catalog* catalog, long number, unsigned long n, char* buf, size_t size,
                         va_list ap) {
  if (catalog == nullptr) return Terminated(QOMSG_ERR_ARGUMENT, buf, size);
  const qokit::reader::PluralIndex::Form form = Impl(catalog)->plurals().FormFor(number, n);
  qokit::format::MessageView m;
  const int rc = !Impl(catalog)->Find(form.number, m) ? QOMSG_ERR_NOT_FOUND
                 : !form.leaves_count                  ? qokit::reader::FormatCompiled(m.compiled, buf, size, ap)
                 : buf == nullptr && size > 0          ? QOMSG_ERR_ARGUMENT
                                                       : qokit::reader::FormatReordered(m.compiled, buf, size, ap, true);
  return Terminated(rc, buf, size);
}

int qomsg_format_plural(const qomsg_catalog* catalog, long number, unsigned long n, char* buf, size_t size, ...) {
  va_list ap;
  va_start(ap, size);
  const int rc = qomsg_vformat_plural(catalog, number, n, buf, size, ap);
  va_end(ap);
  return rc;
}

int qomsg_format_plural_checked(const qomsg_catalog* catalog, long number, unsigned long n, char* buf, size_t size,
                                const char* signature, ...) {
  va_list ap;
  va_start(ap, signature);
  const int rc = qomsg_vformat_plural(catalog, number, n, buf, size, ap);
  va_end(ap);
  return rc;
}

int qomsg_format(const qomsg_catalog* catalog, long number, char* buf, size_t size, ...) {
  va_list ap;
  va_start(ap, size);
  const int rc = qomsg_vformat(catalog, number, buf, size, ap);
  va_end(ap);
  return rc;
}

}  // extern "C"
