// The edge of the C interface: no C++ exception crosses it.
#pragma once

#include <cerrno>
#include <new>
#include <system_error>

#include "qoagent.h"

namespace qokit::agent {

// Runs `body` and returns its status; an allocation failure becomes
// QOAGENT_ERR_NOMEM, any other exception QOAGENT_ERR_SYSTEM (with errno when
// it carries one).
template <typename Body>
int Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    return QOAGENT_ERR_NOMEM;
  } catch (const std::system_error& failure) {
    errno = failure.code().value();
    return QOAGENT_ERR_SYSTEM;
  } catch (...) {
    return QOAGENT_ERR_SYSTEM;
  }
}

}  // namespace qokit::agent
