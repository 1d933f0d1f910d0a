#include "compiled_text.h"

#include "insert_syntax.h"
#include "qokit/qomsg.h"

namespace qokit::reader {

static_assert(QOMSG_ARG_POINTER == qokit::format::kTypePointer && QOMSG_ARG_INT == qokit::format::kTypeInt &&
              QOMSG_ARG_LONG == qokit::format::kTypeLong && QOMSG_ARG_DOUBLE == qokit::format::kTypeDouble);

bool DecodeCompiledText(std::string_view bytes, CompiledText& out, std::string& why) {
  if (const char* fault = qokit::format::CheckCompiledForm(bytes)) {
    why = fault;
    return false;
  }
  return qokit::format::ReadCompiledForm(bytes, out, why);
}

}  // namespace qokit::reader
