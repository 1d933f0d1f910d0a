/* Example client: formats the two messages of demo.msg from the compiled
 * object file and prints the first help section of a help file with the
 * names of its subheadings, all through the reader libraries. */
#include <stdio.h>

#include <qokit/qohlp.h>
#include <qokit/qomsg.h>

static int show_messages(const char* path) {
  char detail[256];
  char text[256];
  qomsg_catalog* catalog = NULL;
  int rc = qomsg_open_file(path, &catalog, detail, sizeof detail);
  if (rc != QOMSG_OK) {
    fprintf(stderr, "%s: %s: %s\n", path, qomsg_strerror(rc), detail);
    return 1;
  }
  /* Arguments always in argument order, whatever order the text uses. */
  if (qomsg_format(catalog, 1, text, sizeof text, "/home", 1234, 56.75) >= 0)
    printf("message 1: %s\n", text);
  if (qomsg_format(catalog, 2, text, sizeof text, 5, "/home/tmp") >= 0) {
    qomsg_message message;
    qomsg_lookup(catalog, 2, &message);
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
  if (argc != 3) {
    fprintf(stderr, "usage: kit-example OBJFILE HELPFILE\n");
    return 2;
  }
  return show_messages(argv[1]) | show_help(argv[2]);
}
