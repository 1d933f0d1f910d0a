/* Prints message CONSUMER_HELLO and the first help section, found through
 * the installed readers. The catalogue is opened checked against the
 * companion of the generated header, and the first message is formatted
 * through its format-checked macro. */
#include <qokit/qohlp.h>
#include <qokit/qomsg.h>
#include <stdio.h>

#include "consumer_msgs_sig.h"

/* Only the prefixed names may reach a client: no generic header name of the
 * kit is on its include path, however it found the kit. */
#if defined(__has_include)
#if __has_include("qomsg.h") || __has_include("psstr.h") || __has_include("commutil.h") || \
    __has_include("qoagent.h") || __has_include("qoagent_segment.h") || __has_include("insert_syntax.h")
#error "a header of the kit is reachable without the qokit/ prefix"
#endif
#endif

int main(int argc, char** argv) {
  qomsg_catalog* catalog = NULL;
  qohlp_file* help = NULL;
  char text[200];
  const char* line;
  size_t length;
  unsigned i;
  qohlp_section section;
  if (argc != 3) return 2;
  if (qomsg_open_checked(argv[1], consumer_msgs_checksum, consumer_msgs_signatures, consumer_msgs_signature_count,
                         &catalog, text, sizeof text) != QOMSG_OK) {
    fprintf(stderr, "%s\n", text);
    return 1;
  }
  if (qohlp_open_file(argv[2], QOHLP_CURRENT, &help, NULL, 0) != QOHLP_OK) return 1;
  consumer_msgs_format_CONSUMER_HELLO(catalog, text, sizeof text, 3, "four");
  printf("%s\n", text);
  qomsg_format(catalog, CONSUMER_SWAPPED, text, sizeof text, 1, "two");
  printf("%s\n", text);
  qohlp_get_section(help, 0, &section);
  printf("[%s]\n", section.button);
  for (i = 0; i < section.length; ++i) {
    qohlp_get_line(help, 0, i, &line, &length);
    printf("%.*s\n", (int)length, line);
  }
  qomsg_close(catalog);
  qohlp_close(help);
  return 0;
}
