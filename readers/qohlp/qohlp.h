/* qohlp: run-time reader of binary help files.
 *
 * Two layouts share the tables: the current one stores the help text as
 * fixed-length lines (a section is a run of lines), the legacy one as a byte
 * stream (a section is a byte range). Opening checks the tables against the
 * file size and each other, so every section handed out lies inside the file.
 *
 * An open file is never changed, so several threads may read from it at once.
 * Functions return QOHLP_OK (0) or a negative QOHLP_ERR_* code. No function
 * allocates memory except the opens; out of memory is QOHLP_ERR_NOMEM, never
 * an abort.
 */
#ifndef QOKIT_KIT_QOHLP_H
#define QOKIT_KIT_QOHLP_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The library's interface is what it exports, whatever the visibility its
 * user compiles with. */
#if defined(__GNUC__)
#pragma GCC visibility push(default)
#endif

enum { QOHLP_CURRENT = 0, QOHLP_LEGACY = 1 };

enum {
  QOHLP_OK = 0,
  QOHLP_ERR_IO = -1,         /* the file cannot be opened or read */
  QOHLP_ERR_NOMEM = -2,      /* out of memory */
  QOHLP_ERR_TRUNCATED = -3,  /* the file is shorter than its tables */
  QOHLP_ERR_NO_TABLES = -4,  /* the tables are empty (the compile found errors) */
  QOHLP_ERR_LINKS = -5,      /* the link table is inconsistent */
  QOHLP_ERR_TOC = -6,        /* a table of contents entry is inconsistent */
  QOHLP_ERR_TEXT = -7,       /* a section lies outside the text, or the text size is wrong */
  QOHLP_ERR_RANGE = -8,      /* no such section or line */
  QOHLP_ERR_ARGUMENT = -9    /* bad call: null pointer or unknown layout */
};

/* "No more items" from a walk or a search, as QOMSG_NONE of qomsg. */
enum { QOHLP_NONE = -1 };

/* Section types: the heading's tag. Current layout: 1 ("$H") and 2 ("$S");
 * legacy layout also 3 ("$T") and 4 ("$E"), and 0 for a heading whose
 * closing tag was missing. */
enum { QOHLP_MAJOR = 1, QOHLP_SUB = 2, QOHLP_TAG_T = 3, QOHLP_TAG_E = 4 };

typedef struct qohlp_file qohlp_file;

typedef struct {
  int layout;                 /* QOHLP_CURRENT or QOHLP_LEGACY */
  unsigned section_count;     /* headings in the table of contents */
  unsigned line_size;         /* current layout: bytes per text line */
  unsigned button_count;      /* legacy layout: headings with buttons */
  unsigned long text_offset;  /* where the text starts */
  unsigned long file_size;
} qohlp_info;

typedef struct {
  unsigned index;             /* 0-based table of contents index */
  int type;                   /* QOHLP_MAJOR ... */
  unsigned next_sub;          /* index of the next subheading in the chain, 0 for none */
  unsigned first_link;        /* the heading's two link numbers */
  unsigned second_link;
  char button[49];            /* button name, NUL-terminated */
  unsigned long offset;       /* byte offset of the section text in the file */
  unsigned long length;       /* current layout: lines; legacy layout: bytes */
} qohlp_section;

/* The library's version, "MAJOR.MINOR.PATCH" (qohlp(3) tells what each
 * part promises). */
const char* qohlp_version(void);

/* A short English description of a status code. */
const char* qohlp_strerror(int status);

/* Opens and checks a help file of the given layout. On failure *out is null
 * and, when detail is not null, it receives a description of the fault. */
int qohlp_open_file(const char* path, int layout, qohlp_file** out, char* detail,
                    size_t detail_size);
/* As qohlp_open_file for bytes in memory; the bytes are copied. */
int qohlp_open_memory(const void* data, size_t size, int layout, qohlp_file** out, char* detail,
                      size_t detail_size);
void qohlp_close(qohlp_file* file);

int qohlp_get_info(const qohlp_file* file, qohlp_info* info);
int qohlp_get_section(const qohlp_file* file, unsigned index, qohlp_section* section);

/* Walking: the first heading that starts a chain (a major heading; in the
 * legacy layout also an "$E" heading) after section `after` (-1 to start from
 * the beginning), and the next subheading under a section. Both return the
 * section index, or QOHLP_NONE when there is none. */
long qohlp_next_heading(const qohlp_file* file, long after);
long qohlp_next_subheading(const qohlp_file* file, unsigned index);

/* The first section whose first link number is `link`; QOHLP_NONE when none. */
long qohlp_find_link(const qohlp_file* file, unsigned link);

/* Current layout: line `line` (0 = the heading line) of a section, without
 * its blank padding. The text is not NUL-terminated. */
int qohlp_get_line(const qohlp_file* file, unsigned index, unsigned line, const char** text,
                   size_t* length);
/* The section's bytes as stored (legacy: its byte range; current: its lines). */
int qohlp_get_bytes(const qohlp_file* file, unsigned index, const char** text, size_t* length);

#if defined(__GNUC__)
#pragma GCC visibility pop
#endif

#ifdef __cplusplus
}
#endif

#endif
