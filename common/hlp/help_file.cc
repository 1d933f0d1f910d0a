#include "help_file.h"

#include <algorithm>
#include <cstring>

#include "commutil.h"
#include "help_output.h"
#include "nlsstr.h"

canonical_linkentry to_canonical(const linkentry& entry) {
  canonical_linkentry out{};
  nfTwo two;
  const uint16_t fields[] = {entry.clntid, entry.tocndx, entry.butndx};
  for (std::size_t i = 0; i < 3; ++i) {
    SetTwo(&two, fields[i]);
    std::memcpy(out.data() + 2 * i, two.bytes, 2);
  }
  return out;
}

canonical_tocentry to_canonical(const tocentry& entry) {
  canonical_tocentry out{};
  nfTwo two;
  nfFour four;
  SetTwo(&two, entry.type);
  std::memcpy(out.data(), two.bytes, 2);
  SetTwo(&two, entry.sndx);
  std::memcpy(out.data() + 2, two.bytes, 2);
  SetFour(&four, entry.offset);
  std::memcpy(out.data() + 4, four.bytes, 4);
  SetFour(&four, entry.length);
  std::memcpy(out.data() + 8, four.bytes, 4);
  // The name field may lack a terminator, so copy through a terminated buffer.
  char name[kButtonNameMax + 1] = {};
  std::memcpy(name, entry.butt_name, kButtonNameMax);
  nls.nlsStrnCpy(reinterpret_cast<char*>(out.data() + 12), name, kButtonNameMax);
  return out;
}

void write_struct() {
  if (link_ptr.empty()) return;
  help_seek(0);
  const std::size_t links = std::min<std::size_t>(link_ptr[0].clntid, link_ptr.size());
  const std::size_t tocs = std::min<std::size_t>(link_ptr[0].tocndx, toc_ptr.size());
  for (std::size_t i = 0; i < links; ++i) {
    const auto bytes = to_canonical(link_ptr[i]);
    help_write(bytes.data(), bytes.size());
  }
  for (std::size_t i = 0; i < tocs; ++i) {
    const auto bytes = to_canonical(toc_ptr[i]);
    help_write(bytes.data(), bytes.size());
  }
}
