// The C interface of the message catalogue reader.
#include "qokit/qomsg.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "catalog.h"
#include "detail.h"
#include "file_bytes.h"
#include "formatter.h"
#include "locale_search.h"
#include "signature_check.h"

struct qomsg_catalog {
  qokit::reader::Catalog catalog;
};

namespace {

// What a checked open compares the catalogue with.
struct Expected {
  long checksum = 0;
  const qomsg_signature* table = nullptr;
  std::size_t count = 0;
};

// Loads, and when `expected` is given checks, a catalogue.
int Open(std::string_view bytes, const Expected* expected, qomsg_catalog** out, char* detail,
         std::size_t detail_size) {
  auto catalog = std::unique_ptr<qomsg_catalog>(new (std::nothrow) qomsg_catalog);
  if (catalog == nullptr) {
    qokit::reader::SetDetail(detail, detail_size, qomsg_strerror(QOMSG_ERR_NOMEM));
    return QOMSG_ERR_NOMEM;
  }
  std::string why;
  int rc = QOMSG_OK;
  try {
    rc = catalog->catalog.Load(bytes, why);
    if (rc == QOMSG_OK && expected != nullptr) {
      rc = qokit::reader::CheckCatalog(catalog->catalog, expected->checksum, expected->table, expected->count, why);
    }
  } catch (const std::bad_alloc&) {
    rc = QOMSG_ERR_NOMEM;
    why = qomsg_strerror(rc);
  }
  if (rc != QOMSG_OK) {
    qokit::reader::SetDetail(detail, detail_size, why);
    return rc;
  }
  qokit::reader::SetDetail(detail, detail_size, "");
  *out = catalog.release();
  return QOMSG_OK;
}

// A failed format leaves an empty text, so a caller that prints the buffer
// anyway prints nothing rather than stale or partial bytes.
int Terminated(int rc, char* buf, std::size_t size) {
  if (rc < 0 && buf != nullptr && size > 0) buf[0] = '\0';
  return rc;
}

int OpenFile(const char* path, const Expected* expected, qomsg_catalog** out, char* detail,
             std::size_t detail_size) {
  if (out == nullptr) return QOMSG_ERR_ARGUMENT;
  *out = nullptr;
  std::string bytes;
  if (path == nullptr || !qokit::io::ReadWholeFile(path, bytes, qokit::reader::kMaxFileSize)) {
    std::string why = "cannot read ";
    why.append(path ? path : "(null)").append(": ").append(std::strerror(errno));
    qokit::reader::SetDetail(detail, detail_size, why);
    return QOMSG_ERR_IO;
  }
  return Open(bytes, expected, out, detail, detail_size);
}

int OpenMemory(const void* data, std::size_t size, const Expected* expected, qomsg_catalog** out,
               char* detail, std::size_t detail_size) {
  if (out == nullptr || (data == nullptr && size > 0)) return QOMSG_ERR_ARGUMENT;
  *out = nullptr;
  const std::string_view bytes(static_cast<const char*>(data), data == nullptr ? 0 : size);
  return Open(bytes, expected, out, detail, detail_size);
}

const qokit::reader::Message* FindMessage(const qomsg_catalog* catalog, long number) {
  return catalog == nullptr ? nullptr : catalog->catalog.Find(number);
}

}  // namespace

extern "C" {

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
  return qokit::reader::OpenForLocale({dir, name, expected_checksum, table, count}, environment, out,
                              opened_path, opened_size, detail, detail_size);
}

void qomsg_close(qomsg_catalog* catalog) { delete catalog; }

int qomsg_get_info(const qomsg_catalog* catalog, qomsg_info* info) {
  if (catalog == nullptr || info == nullptr) return QOMSG_ERR_ARGUMENT;
  *info = catalog->catalog.info();
  return QOMSG_OK;
}

long qomsg_next_number(const qomsg_catalog* catalog, long after) {
  if (catalog == nullptr) return 0;
  const auto& messages = catalog->catalog.messages();
  const auto it = std::upper_bound(messages.begin(), messages.end(), after,
                                   [](long n, const qokit::reader::Message& m) { return n < m.number; });
  return it == messages.end() ? 0 : it->number;
}

int qomsg_lookup(const qomsg_catalog* catalog, long number, qomsg_message* message) {
  if (catalog == nullptr || message == nullptr) return QOMSG_ERR_ARGUMENT;
  const qokit::reader::Message* m = FindMessage(catalog, number);
  if (m == nullptr) return QOMSG_ERR_NOT_FOUND;
  message->number = m->number;
  message->severity = m->severity;
  std::memset(message->response, 0, sizeof message->response);
  std::memcpy(message->response, m->response.data(), m->response.size());
  message->compiled = reinterpret_cast<const unsigned char*>(m->compiled.data());
  message->compiled_len = m->compiled.size();
  message->in_order = m->text.in_order ? 1 : 0;
  message->insert_count = static_cast<int>(m->text.inserts.size());
  return QOMSG_OK;
}

int qomsg_get_insert(const qomsg_catalog* catalog, long number, int argument, qomsg_insert* insert) {
  if (catalog == nullptr || insert == nullptr) return QOMSG_ERR_ARGUMENT;
  const qokit::reader::Message* m = FindMessage(catalog, number);
  if (m == nullptr) return QOMSG_ERR_NOT_FOUND;
  const auto& inserts = m->text.inserts;
  for (std::size_t i = 0; i < inserts.size(); ++i) {
    if (inserts[i].argument != argument) continue;
    insert->argument = argument;
    insert->position = static_cast<int>(i);
    insert->conversion = inserts[i].conversion.data();
    insert->conversion_len = inserts[i].conversion.size();
    insert->stars = inserts[i].stars;
    insert->type = inserts[i].type;
    return QOMSG_OK;
  }
  return QOMSG_ERR_ARGUMENT;
}

int qomsg_format_args(const qomsg_catalog* catalog, long number, char* buf, size_t size,
                      const qomsg_arg* args, size_t nargs) {
  if (catalog == nullptr) return Terminated(QOMSG_ERR_ARGUMENT, buf, size);
  const qokit::reader::Message* m = FindMessage(catalog, number);
  if (m == nullptr) return Terminated(QOMSG_ERR_NOT_FOUND, buf, size);
  try {
    return Terminated(qokit::reader::FormatText(m->text, buf, size, args, nargs), buf, size);
  } catch (const std::bad_alloc&) {
    return Terminated(QOMSG_ERR_NOMEM, buf, size);
  }
}

int qomsg_vformat(const qomsg_catalog* catalog, long number, char* buf, size_t size, va_list ap) {
  if (catalog == nullptr) return Terminated(QOMSG_ERR_ARGUMENT, buf, size);
  const qokit::reader::Message* m = FindMessage(catalog, number);
  if (m == nullptr) return Terminated(QOMSG_ERR_NOT_FOUND, buf, size);
  try {
    const std::vector<qomsg_arg> args = qokit::reader::CollectArguments(m->text, ap);
    return Terminated(qokit::reader::FormatText(m->text, buf, size, args.data(), args.size()), buf, size);
  } catch (const std::bad_alloc&) {
    return Terminated(QOMSG_ERR_NOMEM, buf, size);
  }
}

int qomsg_format_checked(const qomsg_catalog* catalog, long number, char* buf, size_t size,
                         const char* signature, ...) {
  va_list ap;
  va_start(ap, signature);
  const int rc = qomsg_vformat(catalog, number, buf, size, ap);
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
