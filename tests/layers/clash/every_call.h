/* Calls every function of the readers on a catalogue and a help file made
 * in memory, and the agent client's with an agent and a pool of one, as C or
 * C++; 0 when each answers as it should. Shared by the clashing clients,
 * which also define names the kit must not. */
#ifndef QOKIT_TESTS_EVERY_CALL_H
#define QOKIT_TESTS_EVERY_CALL_H

#include <qokit/qoagent.h>
#include <qokit/qohlp.h>
#include <qokit/qomsg.h>
#include <string.h>

static void put_le(unsigned char* at, unsigned long value, int bytes) {
  int i;
  for (i = 0; i < bytes; ++i) at[i] = (unsigned char)(value >> (8 * i));
}

/* Message 1 ("Hello %s", severity 6) in blocks 1 to 3. */
static void make_catalogue(unsigned char file[192]) {
  static const char text[] = "\1Hello %s";
  memset(file, 0, 192);
  memcpy(file, "1R3V", 4);
  put_le(file + 4, 1, 4);
  put_le(file + 8, 1, 4);
  put_le(file + 12, 1, 4);
  put_le(file + 16, 77, 4);
  file[20] = file[21] = file[22] = 1;
  memcpy(file + 32, "Mon Dec  7 21:00:00 2026", 24);
  put_le(file + 64, 3, 2);
  put_le(file + 128, 6u << 12 | sizeof text, 2);
  memcpy(file + 130, text, sizeof text);
}

/* One heading, links 5 and 7, button Intro, one line of 8 bytes. */
static void make_help(unsigned char file[80]) {
  static const unsigned char tables[] = {0, 2, 0, 1, 0, 8, 0, 5, 0, 0, 0, 7, 0, 1, 0, 0, 0, 0, 0, 72, 0, 0, 0, 1};
  memset(file, 0, 80);
  memcpy(file, tables, sizeof tables);
  memcpy(file + 24, "Intro", 5);
  memcpy(file + 72, "Welcome ", 8);
}

static int call_every_reader(void) {
  unsigned char catalogue[192], help_bytes[80];
  char buf[64], detail[128];
  qomsg_catalog* cat = NULL;
  qohlp_file* help = NULL;
  qomsg_info info;
  qomsg_message message;
  qomsg_insert insert;
  qomsg_arg arg;
  qohlp_info hinfo;
  qohlp_section section;
  const char* text = NULL;
  size_t length = 0;
  const qomsg_signature rows[] = {{1, "%s"}};
  int failures = 0;

  make_catalogue(catalogue);
  make_help(help_bytes);
  failures += strcmp(qomsg_version(), qohlp_version()) != 0;
  failures += strcmp(qomsg_strerror(QOMSG_ERR_NOMEM), "out of memory") != 0;
  failures += strcmp(qohlp_strerror(QOHLP_ERR_NOMEM), "out of memory") != 0;
  failures += qomsg_open_file("/nonexistent/c.obj", &cat, detail, sizeof detail) != QOMSG_ERR_IO;
  failures += qomsg_open_checked("/nonexistent/c.obj", 77, rows, 1, &cat, detail, sizeof detail) != QOMSG_ERR_IO;
  failures += qomsg_open_locale("/nonexistent", "c", 77, rows, 1, &cat, NULL, 0, detail, sizeof detail) !=
              QOMSG_ERR_IO;
  failures += qomsg_open_memory_checked(catalogue, sizeof catalogue, 78, rows, 1, &cat, detail, sizeof detail) !=
              QOMSG_ERR_CHECKSUM;
  if (qomsg_open_memory(catalogue, sizeof catalogue, &cat, detail, sizeof detail) != QOMSG_OK) return 100;
  failures += qomsg_get_info(cat, &info) != QOMSG_OK || info.checksum != 77;
  failures += qomsg_next_number(cat, 0) != 1 || qomsg_next_number(cat, 1) != QOMSG_NONE;
  failures += qomsg_lookup(cat, 1, &message) != QOMSG_OK || message.severity != 6;
  failures += qomsg_get_insert(cat, 1, 1, &insert) != QOMSG_OK || insert.type != QOMSG_ARG_POINTER;
  failures += qomsg_format(cat, 1, buf, sizeof buf, "you") != 9 || strcmp(buf, "Hello you") != 0;
  failures += qomsg_format_checked(cat, 1, buf, sizeof buf, "%s", "me") != 8;
  arg.type = QOMSG_ARG_POINTER;
  arg.v.p = "all";
  failures += qomsg_format_args(cat, 1, buf, sizeof buf, &arg, 1) != 9 || strcmp(buf, "Hello all") != 0;
  qomsg_close(cat);

  failures += qohlp_open_file("/nonexistent/h.hlp", QOHLP_CURRENT, &help, detail, sizeof detail) != QOHLP_ERR_IO;
  if (qohlp_open_memory(help_bytes, sizeof help_bytes, QOHLP_CURRENT, &help, detail, sizeof detail) != QOHLP_OK)
    return 200;
  failures += qohlp_get_info(help, &hinfo) != QOHLP_OK || hinfo.line_size != 8;
  failures += qohlp_get_section(help, 0, &section) != QOHLP_OK || strcmp(section.button, "Intro") != 0;
  failures += qohlp_next_heading(help, -1) != 0 || qohlp_next_subheading(help, 0) != QOHLP_NONE;
  failures += qohlp_find_link(help, 5) != 0 || qohlp_find_link(help, 6) != QOHLP_NONE;
  failures += qohlp_get_line(help, 0, 0, &text, &length) != QOHLP_OK || length != 7;
  failures += qohlp_get_bytes(help, 0, &text, &length) != QOHLP_OK || length != 8;
  qohlp_close(help);
  return failures;
}

static int call_the_agent(const char* agent_path) {
  qoagent_options options;
  qoagent_client* client = NULL;
  qoagent_pool* pool = NULL;
  qoagent_reply reply;
  qoagent_ticket ticket;
  int failures = 0;
  memset(&options, 0, sizeof options);
  options.agent_path = agent_path;
  failures += strcmp(qoagent_version(), qomsg_version()) != 0;
  failures += strcmp(qoagent_strerror(QOAGENT_ERR_NOMEM), "out of memory") != 0;
  if (qoagent_open(&options, &client) != QOAGENT_OK) return 300;
  failures += qoagent_segment_size(client) < QOAGENT_DEFAULT_SEGMENT_SIZE || qoagent_shm_id(client) < 0 ||
              qoagent_sem_id(client) < 0 || qoagent_pid(client) <= 0 || qoagent_restarts(client) != 0;
  failures += qoagent_request(client, QOAGENT_REQUEST_STAT, "/", &reply) != QOAGENT_OK || reply.result != 0;
  failures += qoagent_send(client, QOAGENT_REQUEST_LSTAT, "/") != QOAGENT_OK;
  failures += qoagent_receive(client, &reply) != QOAGENT_OK || reply.result != 0;
  failures += qoagent_exit_status(client) != -1;
  failures += qoagent_close(client) != QOAGENT_OK;
  if (qoagent_pool_open(&options, 1, &pool) != QOAGENT_OK) return 400;
  failures += qoagent_pool_size(pool) != 1 || qoagent_pool_client(pool, 0) == NULL;
  failures += qoagent_pool_request(pool, QOAGENT_REQUEST_STATFS, "/", &reply) != QOAGENT_OK || reply.result != 0;
  failures += qoagent_pool_post(pool, QOAGENT_REQUEST_STAT, "/", &ticket) != QOAGENT_OK;
  failures += qoagent_pool_collect(pool, &ticket, &reply) != QOAGENT_OK || reply.result != 0;
  failures += qoagent_pool_close(pool) != QOAGENT_OK;
  return failures;
}

#endif
