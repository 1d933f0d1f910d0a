#include "vexproc.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "getfiles.h"
#include "help_file.h"
#include "help_messages.h"
#include "help_session.h"
#include "help_tables.h"
#include "struct_listing.h"
#include "tagged_source.h"

namespace qokit::help {

namespace {

// Names and line length from the command line, or from the dialogue.
Flow take_arguments(int argc, char** argv, NameBuffer& infile, NameBuffer& outfile) {
  if (argc != 3 && argc != 4) return getfiles(infile, outfile);
  if (!copy_name(infile, argv[1]) || !copy_name(outfile, argv[2])) return Flow::kEndRun;
  if (same_names(infile, outfile)) {
    // The dialogue asks for everything again, the line length included.
    say_same_names();
    return getfiles(infile, outfile);
  }
  // Like atoi, text that is not a number reads as 0, which is then refused.
  const long size = argc == 4 ? std::strtol(argv[3], nullptr, 10) : format::kDefaultLineSize;
  if (!check_line_size(size)) return Flow::kEndRun;
  helpState.linesize = static_cast<int32_t>(size);
  return Flow::kGoOn;
}

}  // namespace

int vexproc_main(int argc, char** argv) {
  NameBuffer infile = "";
  NameBuffer outfile = "";
  if (take_arguments(argc, argv, infile, outfile) == Flow::kEndRun) return 0;

  try {
    helpState.input_line.assign(format::line_buffer_size(helpState.linesize), '\0');
  } catch (const std::bad_alloc&) {
    say_no_line_buffer();
    return 0;
  }

  HelpFiles files;
  if (openfiles(infile, outfile, files) == Flow::kEndRun) return 0;

  if (count_help_recs() && init_struct() == 1) {
    process_tags();
    if (helpState.errors == 0) {
      print_struct();
      write_struct();
    }
  }
  if (!closefiles(files, infile, outfile)) ++helpState.errors;
  say_finished(helpState.errors);
  return 0;
}

}  // namespace qokit::help
