#include "help_tables.h"

#include <new>

namespace qokit::help {

int32_t linesize = 72;
int32_t errors = 0;
FILE* f1 = nullptr;
FILE* f2 = nullptr;
std::vector<char> input_line;

int16_t help_rec_cnt = 0;
uint32_t text_off = 0;
std::vector<format::linkentry> link_ptr;
std::vector<format::tocentry> toc_ptr;
uint32_t link_ndx = 0;
uint32_t toc_ndx = 0;

bool alloc_tables() {
  const auto count = static_cast<uint32_t>(help_rec_cnt < 0 ? 0 : help_rec_cnt);
  text_off = format::table_bytes(count);
  try {
    link_ptr.assign(count + 1, format::linkentry{});
    toc_ptr.assign(count, format::tocentry{});
  } catch (const std::bad_alloc&) {
    link_ptr.clear();
    toc_ptr.clear();
    return false;
  }
  link_ptr[0].clntid = static_cast<uint16_t>(count + 1);
  link_ptr[0].tocndx = static_cast<uint16_t>(count);
  link_ndx = 1;
  return true;
}

void reset_help_state() {
  linesize = 72;
  errors = 0;
  f1 = nullptr;
  f2 = nullptr;
  input_line.clear();
  help_rec_cnt = 0;
  text_off = 0;
  link_ptr.clear();
  toc_ptr.clear();
  link_ndx = 0;
  toc_ndx = 0;
}

}  // namespace qokit::help
