// Whether a loaded catalogue fits what a client was built with: the symbol
// mapping's checksum and the argument signature of every message the client
// calls. A catalogue that does not fit would make the client pass arguments
// its texts do not take, so it is refused before anything is formatted.
#pragma once

#include <cstddef>

#include "catalog.h"
#include "qokit/qomsg.h"

namespace qokit::reader {

// QOMSG_OK, or QOMSG_ERR_CHECKSUM, QOMSG_ERR_SIGNATURE or QOMSG_ERR_ARGUMENT
// (a table row that holds no signature) with the first difference, in table
// order, described in detail. Allocates only to describe a difference, and
// may then throw std::bad_alloc.
int CheckCatalog(const Catalog& catalog, long expected_checksum, const qomsg_signature* table, std::size_t count,
                 char* detail, std::size_t detail_size);

}  // namespace qokit::reader
