/* A C client of the reader on the texts that used to crash printf-based
 * clients: argv[1] is a catalogue compiled from the source in
 * format_client_test.cc. Prints one line per case: the status and the text
 * left in the buffer, formatted in the locale of the environment. Run under
 * the sanitizers, a read past the arguments or the buffer ends it. */
#include <locale.h>
#include <stdio.h>
#include <string.h>

#include <qokit/qomsg.h>

static void show(const char* name, int rc, const char* buf) { printf("%s: %d [%s]\n", name, rc, buf); }

/* A one-message catalogue around `compiled` (at most 60 bytes), as an older
 * compiler may have written it. */
static int open_old(const char* compiled, size_t len, qomsg_catalog** out) {
  unsigned char file[192];
  memset(file, 0, sizeof file);
  memcpy(file, "1R3V", 4);
  file[4] = 1;  /* lowest */
  file[8] = 1;  /* highest */
  file[12] = 1; /* count */
  file[20] = file[21] = file[22] = 1;
  memcpy(file + 32, "Tue Dec  8 09:00:00 2026", 24);
  file[64] = 3; /* message 1 starts in block 3 */
  file[128] = (unsigned char)len;
  file[129] = 4 << 4; /* severity I, one block */
  memcpy(file + 130, compiled, len);
  return qomsg_open_memory(file, sizeof file, out, NULL, 0);
}

int main(int argc, char** argv) {
  qomsg_catalog* cat = NULL;
  char buf[64];
  int rc;
  setlocale(LC_ALL, "");
  if (argc != 2 || qomsg_open_file(argv[1], &cat, buf, sizeof buf) != QOMSG_OK) {
    fprintf(stderr, "cannot open the catalogue\n");
    return 1;
  }
  rc = qomsg_format(cat, 1, buf, sizeof buf, "a.txt");
  show("percent", rc, buf);
  rc = qomsg_format(cat, 2, buf, sizeof buf, 1234567, 2.5);
  show("grouping", rc, buf);
  rc = qomsg_format(cat, 3, buf, sizeof buf, 5000000000L, "y");
  show("long long", rc, buf);
  {
    qomsg_arg args[2];
    args[0].type = QOMSG_ARG_INT;
    args[0].v.i = 1;
    args[1].type = QOMSG_ARG_POINTER;
    args[1].v.p = "unused";
    rc = qomsg_format_args(cat, 4, buf, sizeof buf, args, 2);
    show("argument left out", rc, buf);
    rc = qomsg_format_args(cat, 1, buf, sizeof buf, args, 1);
    show("wrong type", rc, buf);
  }
  strcpy(buf, "stale");
  rc = qomsg_format(cat, 9, buf, sizeof buf);
  show("missing message", rc, buf);
  strcpy(buf, "stale");
  rc = qomsg_format_args(cat, 1, buf, sizeof buf, NULL, 0);
  show("too few arguments", rc, buf);
  qomsg_close(cat);

  {
    static const struct {
      const char* name;
      const char* bytes;
      size_t len;
    } old[] = {
        {"old %F", "\1v=%F items %s", 15},
        {"old %zu", "\1%zu items", 11},
        {"old lone percent", "\1" "50%", 5},
        {"old %Id", "\0\1\0\0\1%Id\0\0\0", 11},
    };
    size_t i;
    for (i = 0; i < sizeof old / sizeof old[0]; ++i) {
      qomsg_catalog* bad = NULL;
      rc = open_old(old[i].bytes, old[i].len, &bad);
      show(old[i].name, rc, bad == NULL ? "not opened" : "opened");
      qomsg_close(bad);
    }
  }
  return 0;
}
