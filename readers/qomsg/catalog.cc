#include "catalog.h"

#include <cstring>

#include "detail.h"

namespace qokit::reader {

namespace {

int StatusOf(format::ObjectFault fault) {
  switch (fault) {
    case format::ObjectFault::kNone: return QOMSG_OK;
    case format::ObjectFault::kTruncated: return QOMSG_ERR_TRUNCATED;
    case format::ObjectFault::kBadMagic: return QOMSG_ERR_MAGIC;
    case format::ObjectFault::kControl: return QOMSG_ERR_CONTROL;
    case format::ObjectFault::kIndex: return QOMSG_ERR_INDEX;
    case format::ObjectFault::kChain: return QOMSG_ERR_CHAIN;
    case format::ObjectFault::kBlock: return QOMSG_ERR_BLOCK;
    case format::ObjectFault::kText: return QOMSG_ERR_TEXT;
  }
  return QOMSG_ERR_TEXT;
}

}  // namespace

int Catalog::Load(io::OwnedBytes bytes, char* detail, std::size_t detail_size) noexcept {
  format::ObjectCheck check;
  if (!format::LayOutObjectFile({bytes.data.get(), bytes.size}, check)) {
    SetDetail(detail, detail_size, check.detail);
    return StatusOf(check.fault);
  }
  const std::string_view laid_out(reinterpret_cast<const char*>(bytes.data.get()), bytes.size);
  if (const int rc = plurals_.Load(laid_out, detail, detail_size); rc != QOMSG_OK) return rc;
  bytes_ = std::move(bytes);
  SetDetail(detail, detail_size, "");
  return QOMSG_OK;
}

qomsg_info Catalog::Info() const {
  const format::ControlValues c = format::ReadControl(image());
  qomsg_info info{};
  info.min_msg_num = c.min_msg_num;
  info.max_msg_num = c.max_msg_num;
  info.msg_count = c.msg_count;
  info.checksum = c.checksum;
  info.date_fmt = c.date_fmt;
  info.time_fmt = c.time_fmt;
  info.number_fmt = c.number_fmt;
  std::memcpy(info.comp_date, c.comp_date.data(), c.comp_date.size());
  info.comp_date[c.comp_date.size()] = '\0';
  return info;
}

}  // namespace qokit::reader
