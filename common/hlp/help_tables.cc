#include "help_tables.h"

#include <new>

namespace qokit::help {

HelpCompilerState helpState;

bool alloc_tables() {
  HelpCompilerState& st = helpState;
  const auto count = static_cast<uint32_t>(st.help_rec_cnt < 0 ? 0 : st.help_rec_cnt);
  st.text_off = format::table_bytes(count);
  try {
    st.link_ptr.assign(count + 1, format::linkentry{});
    st.toc_ptr.assign(count, format::tocentry{});
  } catch (const std::bad_alloc&) {
    st.link_ptr.clear();
    st.toc_ptr.clear();
    return false;
  }
  st.link_ptr[0].clntid = static_cast<uint16_t>(count + 1);
  st.link_ptr[0].tocndx = static_cast<uint16_t>(count);
  st.link_ndx = 1;
  return true;
}

void reset_help_state() { helpState = HelpCompilerState{}; }

}  // namespace qokit::help
