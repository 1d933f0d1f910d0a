/* Prints the messages of app.msg in the user's language, from the catalogue
 * tree the build makes (DIR/app.obj, DIR/<lang>/app.obj). */
#include <stdio.h>

#include <qokit/qomsg.h>

#include "app_msgs_sig.h"

int main(int argc, char** argv) {
  char detail[512], opened[1024], text[256];
  qomsg_catalog* catalog = NULL;
  if (argc != 2) {
    fprintf(stderr, "usage: app CATALOGUE-DIR\n");
    return 2;
  }
  int rc = qomsg_open_locale(argv[1], "app", app_msgs_checksum, app_msgs_signatures, app_msgs_signature_count,
                             &catalog, opened, sizeof opened, detail, sizeof detail);
  if (rc != QOMSG_OK) {
    fprintf(stderr, "%s: %s: %s\n", argv[1], qomsg_strerror(rc), detail);
    return 1;
  }
  if (app_msgs_format_APP_SAVED(catalog, text, sizeof text, 12, "/backup") >= 0) puts(text);
  if (app_msgs_format_APP_NO_SPACE(catalog, text, sizeof text, "/dev/sdb1") >= 0) puts(text);
  if (app_msgs_format_APP_REPLACE(catalog, text, sizeof text, "notes.txt") >= 0) puts(text);
  if (app_msgs_format_APP_SKIPPED(catalog, text, sizeof text, 3, "/home") >= 0) puts(text);
  qomsg_close(catalog);
  return 0;
}
