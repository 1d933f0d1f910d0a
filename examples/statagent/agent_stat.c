/* Asks the status agent about each path on the command line, as a backup
 * client does, and prints what the agent stored in the shared segment. A
 * path whose file system does not answer within two seconds is reported and
 * skipped; the library has a fresh agent ready for the next path.
 * Usage: agent_stat <statagent-program> <path>... */
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <qokit/qoagent.h>

int main(int argc, char** argv) {
  qoagent_options options;
  qoagent_client* client = NULL;
  int i, result, status = 0;
  if (argc < 3) {
    fprintf(stderr, "usage: %s <statagent-program> <path>...\n", argv[0]);
    return 2;
  }
  memset(&options, 0, sizeof options);
  options.agent_path = argv[1];
  options.timeout_ms = 2000;
  options.flags = QOAGENT_RESTART;
  result = qoagent_open(&options, &client);
  if (result != QOAGENT_OK) {
    fprintf(stderr, "cannot start the status agent %s: %s\n", argv[1], qoagent_strerror(result));
    return 1;
  }
  for (i = 2; i < argc; ++i) {
    qoagent_reply stat, lstat, fs;
    result = qoagent_request(client, QOAGENT_REQUEST_STAT, argv[i], &stat);
    if (result == QOAGENT_OK) result = qoagent_request(client, QOAGENT_REQUEST_LSTAT, argv[i], &lstat);
    if (result == QOAGENT_OK) result = qoagent_request(client, QOAGENT_REQUEST_STATFS, argv[i], &fs);
    if (result == QOAGENT_ERR_TIMEOUT) {
      printf("%s: no answer from its file system, skipped\n", argv[i]);
      status = 1;
      continue;
    }
    if (result != QOAGENT_OK) {
      fprintf(stderr, "the status agent failed: %s\n", qoagent_strerror(result));
      status = 1;
      break;
    }
    if (stat.result != 0) {
      printf("%s: %s\n", argv[i], strerror(stat.err_num));
      continue;
    }
    printf("%s: %s, %lld bytes, mode %04o%s; file system block size %ld\n", argv[i],
           S_ISDIR(stat.record.st.st_mode) ? "directory" : "file", (long long)stat.record.st.st_size,
           (unsigned)(stat.record.st.st_mode & 07777),
           lstat.result == 0 && S_ISLNK(lstat.record.st.st_mode) ? " (through a symbolic link)" : "",
           fs.result == 0 ? (long)fs.record.fs.f_bsize : -1L);
  }
  /* An agent still stuck in a call is abandoned; that is no failure here. */
  result = qoagent_close(client);
  if (result != QOAGENT_OK && result != QOAGENT_ERR_ABANDONED) status = 1;
  return status;
}
