/* Prints message CONSUMER_HELLO and the first help section, found through
 * the installed readers; the message number comes from the generated header. */
#include <stdio.h>

#include "consumer_msgs.h"
#include "qohlp.h"
#include "qomsg.h"

int main(int argc, char** argv) {
  qomsg_catalog* catalog = NULL;
  qohlp_file* help = NULL;
  char text[200];
  const char* line;
  size_t length;
  unsigned i;
  qohlp_section section;
  if (argc != 3) return 2;
  if (qomsg_open_file(argv[1], &catalog, NULL, 0) != QOMSG_OK) return 1;
  if (qohlp_open_file(argv[2], QOHLP_CURRENT, &help, NULL, 0) != QOHLP_OK) return 1;
  qomsg_format(catalog, CONSUMER_HELLO, text, sizeof text, 3, "four");
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
