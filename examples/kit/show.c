/* Example client: opens the message catalogue of the user's language from a
 * message tree (DIR/demo.obj, DIR/<lang>/demo.obj), accepting only one that
 * fits what this program was built with, formats the two messages of
 * demo.msg through the checked calls of the companion header, and prints the
 * first help section of a help file with the names of its subheadings. */
#include <stdio.h>

#include <qokit/qohlp.h>
#include <qokit/qomsg.h>

/* The companion header of demo.h: a wrongly typed demo_format_... call does
 * not compile without a -Wformat warning. */
#include "demo_sig.h"

static int show_messages(const char* dir) {
  char detail[512];
  char opened[1024];
  char text[256];
  qomsg_catalog* catalog = NULL;
  int rc = qomsg_open_locale(dir, "demo", demo_checksum, demo_signatures, demo_signature_count, &catalog,
                             opened, sizeof opened, detail, sizeof detail);
  if (rc != QOMSG_OK) {
    fprintf(stderr, "%s: %s: %s\n", dir, qomsg_strerror(rc), detail);
    return 1;
  }
  printf("catalogue %s\n", opened);
  if (detail[0] != '\0') printf("  passed over %s\n", detail);
  /* Arguments always in argument order, whatever order the text uses. */
  if (demo_format_KIT_BACKUP_DONE(catalog, text, sizeof text, "/home", 1234, 56.75) >= 0)
    printf("message 1: %s\n", text);
  if (demo_format_KIT_SKIPPED(catalog, text, sizeof text, 5, "/home/tmp") >= 0) {
    qomsg_message message;
    qomsg_lookup(catalog, KIT_SKIPPED, &message);
    printf("message 2: %s (response \"%s\")\n", text, message.response);
  }
  qomsg_close(catalog);
  return 0;
}

static int show_help(const char* path) {
  char detail[256];
  qohlp_file* help = NULL;
  int rc = qohlp_open_file(path, QOHLP_CURRENT, &help, detail, sizeof detail);
  if (rc != QOHLP_OK) {
    fprintf(stderr, "%s: %s: %s\n", path, qohlp_strerror(rc), detail);
    return 1;
  }
  long first = qohlp_next_heading(help, -1);
  if (first >= 0) {
    qohlp_section section;
    qohlp_get_section(help, (unsigned)first, &section);
    printf("help section \"%s\" (links %u and %u):\n", section.button, section.first_link,
           section.second_link);
    for (unsigned line = 0; line < section.length; ++line) {
      const char* text;
      size_t length;
      if (qohlp_get_line(help, (unsigned)first, line, &text, &length) == QOHLP_OK)
        printf("  | %.*s\n", (int)length, text);
    }
    for (long sub = qohlp_next_subheading(help, (unsigned)first); sub >= 0;
         sub = qohlp_next_subheading(help, (unsigned)sub)) {
      qohlp_get_section(help, (unsigned)sub, &section);
      printf("  subheading: %s\n", section.button);
    }
  }
  qohlp_close(help);
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    fprintf(stderr, "usage: kit-example MESSAGEDIR [HELPFILE]\n");
    return 2;
  }
  return show_messages(argv[1]) | (argc == 3 ? show_help(argv[2]) : 0);
}
