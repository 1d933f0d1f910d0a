/* qomsg: run-time reader of message object files.
 *
 * A client opens the catalogue once (from a path or a memory buffer), which
 * checks the whole file before anything is used, then looks messages up by
 * number and formats them with their arguments. Arguments are always passed
 * in argument order (argument 1 first), whatever order the translated text
 * shows them in; each "*" of a conversion takes one int before the value.
 *
 * An open catalogue is never changed, so several threads may read and
 * format from it at once.
 *
 * Every function returns an int status: QOMSG_OK (0) or a negative
 * QOMSG_ERR_* code. The formatting functions return the length the full
 * text needs (as vsnprintf does) or a negative code. No function allocates
 * memory except the opens; out of memory is QOMSG_ERR_NOMEM, never an abort.
 */
#ifndef QOKIT_KIT_QOMSG_H
#define QOKIT_KIT_QOMSG_H

#include <stdarg.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The library's interface is what it exports, whatever the visibility its
 * user compiles with. */
#if defined(__GNUC__)
#pragma GCC visibility push(default)
#endif

enum {
  QOMSG_OK = 0,
  QOMSG_ERR_IO = -1,          /* the file cannot be opened or read */
  QOMSG_ERR_NOMEM = -2,       /* out of memory */
  QOMSG_ERR_TRUNCATED = -3,   /* not a whole number of 64-byte blocks, too short or too long */
  QOMSG_ERR_MAGIC = -4,       /* the control block does not start with "1R3V" */
  QOMSG_ERR_CONTROL = -5,     /* control block values out of range or inconsistent */
  QOMSG_ERR_INDEX = -6,       /* an index entry names a block outside the text area */
  QOMSG_ERR_CHAIN = -7,       /* a message's block chain runs past the end or overlaps */
  QOMSG_ERR_BLOCK = -8,       /* a block header's byte counts do not fit its block */
  QOMSG_ERR_TEXT = -9,        /* a compiled text is malformed or has a conversion printf cannot take */
  QOMSG_ERR_NOT_FOUND = -10,  /* no message has that number */
  QOMSG_ERR_ARGUMENT = -11,   /* bad call: null pointer, argument list that does not fit */
  QOMSG_ERR_CHECKSUM = -12,   /* checked open: built from another symbol mapping */
  QOMSG_ERR_SIGNATURE = -13,  /* checked open: a message is missing or takes other arguments */
  QOMSG_ERR_PLURAL = -14      /* the plural table or a plural form is malformed */
};

/* "No more items" from a walk: qomsg_next_number, as QOHLP_NONE of qohlp. */
enum { QOMSG_NONE = -1 };

/* Value types of the arguments, as the compiled text records them. */
enum { QOMSG_ARG_POINTER = 0, QOMSG_ARG_INT = 1, QOMSG_ARG_LONG = 2, QOMSG_ARG_DOUBLE = 3 };

typedef struct qomsg_catalog qomsg_catalog;

/* Values of the control block. */
typedef struct {
  long min_msg_num;
  long max_msg_num;
  long msg_count;
  long checksum;    /* equals the symbol file's _MSGSYM_CHECKSUM */
  int date_fmt;     /* 1 to 5 */
  int time_fmt;     /* 1 to 4 */
  int number_fmt;   /* 1 to 6 */
  char comp_date[33]; /* compile time as ctime() wrote it, without line end */
} qomsg_info;

/* One message; the pointers stay valid until the catalogue is closed. */
typedef struct {
  long number;
  int severity;                   /* 0 to 7 (the stored code modulo 8) */
  char response[8];               /* NUL-terminated, empty when none */
  const unsigned char* compiled;  /* the compiled text form */
  size_t compiled_len;
  int in_order;                   /* 1 when the text shows the arguments in order */
  int insert_count;
} qomsg_message;

/* One insert, described in argument order. */
typedef struct {
  int argument;           /* 1-based argument number */
  int position;           /* 0-based place among the inserts in text order */
  const char* conversion; /* "%" through the conversion letter, */
  size_t conversion_len;  /* not NUL-terminated */
  int stars;              /* int arguments passed before the value (0 to 2) */
  int type;               /* QOMSG_ARG_* */
} qomsg_insert;

/* One argument for qomsg_format_args. */
typedef struct {
  int type; /* QOMSG_ARG_* */
  union {
    const void* p;
    int i;
    long l;
    double d;
  } v;
} qomsg_arg;

/* What a client was built with for one message: its number and its argument
 * signature, a printf format with one conversion per argument in argument
 * order ("%s%d" for "@2%d: @1%s"). The companion header of a symbol file
 * holds one row per message. */
typedef struct {
  long number;
  const char* signature;
} qomsg_signature;

/* The format attribute lets GCC and Clang check a call's arguments against
 * a signature given as a string literal. */
#if defined(__GNUC__)
#define QOMSG_CHECK_ARGUMENTS(format_index, first_argument) \
  __attribute__((format(printf, format_index, first_argument)))
#else
#define QOMSG_CHECK_ARGUMENTS(format_index, first_argument)
#endif

/* The library's version, "MAJOR.MINOR.PATCH" (qomsg(3) tells what each
 * part promises). */
const char* qomsg_version(void);

/* A short English description of a status code. */
const char* qomsg_strerror(int status);

/* Opens and checks a catalogue. On failure *out is null and, when detail is
 * not null, it receives a NUL-terminated description of what is wrong. */
int qomsg_open_file(const char* path, qomsg_catalog** out, char* detail, size_t detail_size);
/* As qomsg_open_file for bytes in memory; the bytes are copied. */
int qomsg_open_memory(const void* data, size_t size, qomsg_catalog** out, char* detail,
                      size_t detail_size);
/* As qomsg_open_file, and refuses a catalogue that does not fit what the
 * client was built with: QOMSG_ERR_CHECKSUM when its checksum is not
 * expected_checksum, QOMSG_ERR_SIGNATURE when a message of the table is
 * missing or its arguments differ in count, type or stars. The detail names
 * the first row of the table that differs. Messages the table does not list
 * are not examined. */
int qomsg_open_checked(const char* path, long expected_checksum, const qomsg_signature* table,
                       size_t count, qomsg_catalog** out, char* detail, size_t detail_size);
int qomsg_open_memory_checked(const void* data, size_t size, long expected_checksum,
                              const qomsg_signature* table, size_t count, qomsg_catalog** out,
                              char* detail, size_t detail_size);
/* Opens, checked, the catalogue `name` for the user's language from the tree
 * dir/<lang>/<name>.obj, with the base catalogue at dir/<name>.obj: the tags
 * of LANGUAGE, then of the first set of LC_ALL, LC_MESSAGES and LANG, each
 * ll_CC.codeset@mod tried as ll_CC@mod, ll_CC, ll@mod, ll; then the base. A
 * missing or refused candidate is passed over; running out of memory ends
 * the search with QOMSG_ERR_NOMEM. opened_path receives the file
 * opened; detail, after a success, the first refusal passed over (empty when
 * none), after a failure the base catalogue's fault. The locale C or POSIX
 * wants the base only. Reads the environment with getenv: safe in several
 * threads while none changes the environment. */
int qomsg_open_locale(const char* dir, const char* name, long expected_checksum,
                      const qomsg_signature* table, size_t count, qomsg_catalog** out,
                      char* opened_path, size_t opened_size, char* detail, size_t detail_size);
/* Releases a catalogue; null is ignored. */
void qomsg_close(qomsg_catalog* catalog);

int qomsg_get_info(const qomsg_catalog* catalog, qomsg_info* info);
/* The lowest message number above `after` (any `after` below 1 gives the
 * first message), or QOMSG_NONE when there is none. */
long qomsg_next_number(const qomsg_catalog* catalog, long after);
int qomsg_lookup(const qomsg_catalog* catalog, long number, qomsg_message* message);
/* Insert of argument `argument` (1-based) of a message. */
int qomsg_get_insert(const qomsg_catalog* catalog, long number, int argument, qomsg_insert* insert);

/* Formats message `number` into buf (at most size bytes, always terminated
 * when size > 0, empty after an error). The variable arguments follow
 * printf's rules in argument order; every conversion prints exactly as
 * printf prints it, and arguments past those the text uses are ignored. In
 * the literal text "%%" prints one "%", as in a printf format. Returns the
 * length of the whole text, or a negative code. */
int qomsg_format(const qomsg_catalog* catalog, long number, char* buf, size_t size, ...);
int qomsg_vformat(const qomsg_catalog* catalog, long number, char* buf, size_t size, va_list ap);
/* As qomsg_format, with the message's signature before the arguments so that
 * the compiler checks them against it; the signature is not read at run
 * time. The companion header's per-message macros call it. */
int qomsg_format_checked(const qomsg_catalog* catalog, long number, char* buf, size_t size,
                         const char* signature, ...) QOMSG_CHECK_ARGUMENTS(5, 6);
/* As qomsg_format with the arguments as an array (argument order, stars
 * first); the type of every argument that a conversion uses must match its
 * insert; further arguments are ignored. */
int qomsg_format_args(const qomsg_catalog* catalog, long number, char* buf, size_t size,
                      const qomsg_arg* args, size_t nargs);

/* Formats the form of plural message `number` that the count n takes by the
 * catalogue's plural rule ("1 file", "5 files"; Russian's three forms).
 * The arguments are the message's, as for qomsg_format, the count among
 * them where the text shows it; a form that leaves the count out ("one
 * file") takes it and prints nothing for it. A message that is not plural,
 * or a catalogue without plural messages, is formatted as by qomsg_format
 * and n is ignored. Return values as qomsg_format. */
int qomsg_format_plural(const qomsg_catalog* catalog, long number, unsigned long n, char* buf, size_t size, ...);
int qomsg_vformat_plural(const qomsg_catalog* catalog, long number, unsigned long n, char* buf, size_t size,
                         va_list ap);
/* As qomsg_format_plural with the message's signature before the arguments,
 * as qomsg_format_checked; the companion header's plural macros call it. */
int qomsg_format_plural_checked(const qomsg_catalog* catalog, long number, unsigned long n, char* buf, size_t size,
                                const char* signature, ...) QOMSG_CHECK_ARGUMENTS(6, 7);
/* As qomsg_format_plural with the arguments as an array (qomsg_format_args). */
int qomsg_format_plural_args(const qomsg_catalog* catalog, long number, unsigned long n, char* buf, size_t size,
                             const qomsg_arg* args, size_t count);

#if defined(__GNUC__)
#pragma GCC visibility pop
#endif

#ifdef __cplusplus
}
#endif

#endif
