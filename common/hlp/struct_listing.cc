#include "struct_listing.h"

#include "help_tables.h"

namespace {

constexpr char kListingFile[] = "struct.doc";

// Opens "struct.doc", writes the listing and reports a failure; true when
// the whole listing reached the file. The legacy report has no line end.
bool store_listing(const char* mode, bool line_end) {
  FILE* raw = std::fopen(kListingFile, mode);
  if (raw == nullptr) {
    std::printf("\n\nFile struct.doc can not be opened for output...%s", line_end ? "\n" : "");
    return false;
  }
  write_listing(raw, LinkColumns::kThreeWide);
  const bool failed = std::ferror(raw) != 0;
  if (std::fclose(raw) != 0 || failed) {
    std::printf("\n\nFile struct.doc could not be written completely...\n");
    return false;
  }
  return true;
}

}  // namespace

void write_listing(FILE* out, LinkColumns columns) {
  std::fprintf(out, "\n\nOutput File Link Entries\n");
  for (std::size_t i = 0; i < link_ptr.size(); ++i) {
    const linkentry& e = link_ptr[i];
    if (columns == LinkColumns::kThreeWide)
      std::fprintf(out, "\n %3d clntid = %3u tocndx = %3u butndx = %3u\n", static_cast<int>(i), e.clntid,
                   e.tocndx, e.butndx);
    else
      std::fprintf(out, "\n %3d clntid = %3u tocndx = %3u butndx = %u\n", static_cast<int>(i), e.clntid,
                   e.tocndx, e.butndx);
  }
  std::fprintf(out, "\n\nOutput File TOC Entries\n");
  for (std::size_t i = 0; i < toc_ptr.size(); ++i) {
    const tocentry& e = toc_ptr[i];
    std::fprintf(out, "\n %3d type = %2d sndx = %3u off = %6lu len = %6lu butt = %.*s\n", static_cast<int>(i),
                 e.type, e.sndx, static_cast<unsigned long>(e.offset), static_cast<unsigned long>(e.length),
                 butt_name_len(e), e.butt_name);
  }
}

void print_struct() {
  write_listing(stdout, LinkColumns::kFree);
  if (!store_listing("w", true)) ++errors;
}

void write_struct_doc() { (void)store_listing("w+", false); }
