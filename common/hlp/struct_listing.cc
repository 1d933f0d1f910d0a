#include "struct_listing.h"

#include "help_messages.h"
#include "help_tables.h"

namespace qokit::help {

namespace {

constexpr char kListingFile[] = "struct.doc";

// Opens "struct.doc", writes the listing and reports a failure; true when
// the whole listing reached the file. The legacy report has no line end.
bool store_listing(const char* mode, bool line_end) {
  FILE* raw = std::fopen(kListingFile, mode);
  if (raw == nullptr) {
    say_cannot_open_listing(line_end);
    return false;
  }
  write_listing(raw, LinkColumns::kThreeWide);
  const bool failed = std::ferror(raw) != 0;
  if (std::fclose(raw) != 0 || failed) {
    say_listing_incomplete();
    return false;
  }
  return true;
}

}  // namespace

void write_listing(FILE* out, LinkColumns columns) {
  list_link_heading(out);
  for (std::size_t i = 0; i < link_ptr.size(); ++i) {
    const linkentry& e = link_ptr[i];
    list_link(out, static_cast<int>(i), e.clntid, e.tocndx, e.butndx, columns == LinkColumns::kThreeWide);
  }
  list_toc_heading(out);
  for (std::size_t i = 0; i < toc_ptr.size(); ++i) {
    const tocentry& e = toc_ptr[i];
    list_toc(out, static_cast<int>(i), e.type, e.sndx, e.offset, e.length, format::butt_name_len(e), e.butt_name);
  }
}

void print_struct() {
  write_listing(stdout, LinkColumns::kFree);
  if (!store_listing("w", true)) ++errors;
}

void write_struct_doc() { (void)store_listing("w+", false); }

}  // namespace qokit::help
