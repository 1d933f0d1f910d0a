#include "struct_listing.h"

#include <cerrno>

#include "help_messages.h"
#include "help_tables.h"
#include "replace_file.h"

namespace qokit::help {

namespace {

constexpr char kListingFile[] = "struct.doc";

// Writes the listing to "struct.doc" and reports a failure; true when the
// whole listing reached the file. The file is replaced only once complete,
// so a failed write leaves no empty or partial listing. The legacy report of
// an unopened file has no line end.
bool store_listing(bool line_end) {
  io::ReplacementFile file;
  if (!file.Open(kListingFile)) {
    say_cannot_open_listing(line_end);
    return false;
  }
  write_listing(file.stream(), LinkColumns::kThreeWide);
  if (std::ferror(file.stream()) != 0 || !file.Commit()) {
    say_listing_incomplete(errno);
    return false;
  }
  return true;
}

}  // namespace

void write_listing(FILE* out, LinkColumns columns) {
  HelpCompilerState& st = helpState;
  list_link_heading(out);
  for (std::size_t i = 0; i < st.link_ptr.size(); ++i) {
    const linkentry& e = st.link_ptr[i];
    list_link(out, static_cast<int>(i), e.clntid, e.tocndx, e.butndx, columns == LinkColumns::kThreeWide);
  }
  list_toc_heading(out);
  for (std::size_t i = 0; i < st.toc_ptr.size(); ++i) {
    const tocentry& e = st.toc_ptr[i];
    list_toc(out, static_cast<int>(i), e.type, e.sndx, e.offset, e.length, format::butt_name_len(e), e.butt_name);
  }
}

void print_struct() {
  write_listing(stdout, LinkColumns::kFree);
  if (!store_listing(true)) ++helpState.errors;
}

void write_struct_doc() { (void)store_listing(false); }

}  // namespace qokit::help
