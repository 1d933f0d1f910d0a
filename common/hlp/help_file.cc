#include "help_file.h"

#include <algorithm>
#include <cstring>

#include "qokit/unx/commutil.h"
#include "help_output.h"
#include "qokit/nls/nlsstr.h"

namespace qokit::help {

namespace {

void put_two(unsigned char* at, uint16_t value) {
  nfTwo two;
  SetTwo(&two, value);
  std::memcpy(at, two.bytes, sizeof two.bytes);
}

void put_four(unsigned char* at, uint32_t value) {
  nfFour four;
  SetFour(&four, value);
  std::memcpy(at, four.bytes, sizeof four.bytes);
}

}  // namespace

canonical_linkentry to_canonical(const linkentry& entry) {
  canonical_linkentry out{};
  put_two(out.data() + format::kLinkClntid, entry.clntid);
  put_two(out.data() + format::kLinkTocndx, entry.tocndx);
  put_two(out.data() + format::kLinkButndx, entry.butndx);
  return out;
}

canonical_tocentry to_canonical(const tocentry& entry) {
  canonical_tocentry out{};
  put_two(out.data() + format::kTocType, entry.type);
  put_two(out.data() + format::kTocSndx, entry.sndx);
  put_four(out.data() + format::kTocOffset, entry.offset);
  put_four(out.data() + format::kTocLength, entry.length);
  // The name field may lack a terminator, so copy through a terminated buffer.
  char name[format::kButtonNameMax + 1] = {};
  std::memcpy(name, entry.butt_name, format::kButtonNameMax);
  nls.nlsStrnCpy(reinterpret_cast<char*>(out.data() + format::kTocButtName), name, format::kButtonNameMax);
  return out;
}

void write_struct() {
  HelpCompilerState& st = helpState;
  if (st.link_ptr.empty()) return;
  help_seek(0);
  const std::size_t links = std::min<std::size_t>(st.link_ptr[0].clntid, st.link_ptr.size());
  const std::size_t tocs = std::min<std::size_t>(st.link_ptr[0].tocndx, st.toc_ptr.size());
  for (std::size_t i = 0; i < links; ++i) {
    const auto bytes = to_canonical(st.link_ptr[i]);
    help_write(bytes.data(), bytes.size());
  }
  for (std::size_t i = 0; i < tocs; ++i) {
    const auto bytes = to_canonical(st.toc_ptr[i]);
    help_write(bytes.data(), bytes.size());
  }
}

}  // namespace qokit::help
