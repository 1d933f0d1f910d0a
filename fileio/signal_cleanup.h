// Temporary output files removed when the program is interrupted.
//
// The compilers write each output under a temporary name and rename it into
// place when it is complete (replace_file.h). Ctrl-C, a kill or a closed
// terminal would leave that half-written temporary file behind, so its name
// is recorded here: on SIGINT, SIGTERM or SIGHUP the handler unlinks every
// recorded name and the signal then takes its default action, so the
// program still ends as interrupted. The handler does only what is safe in a
// signal handler (unlink of names stored beforehand, raise). A signal that the
// program ignores (nohup) or handles itself is left as it is.
#pragma once

#include <signal.h>

namespace qokit::io {

// While one lives, SIGINT, SIGTERM and SIGHUP wait, so a file cannot be
// created, renamed or removed without its record changing with it.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

// Records `path` for removal on those signals (installing the handler the
// first time) and returns its slot; -1 when it cannot be recorded (a name
// longer than a path can be, or more files at once than there are slots):
// the file is then merely not removed on a signal. Call with SignalsHeld.
int RecordForRemoval(const char* path);
// Forgets a slot RecordForRemoval returned (nothing for -1). Call with SignalsHeld.
void ForgetRemoval(int slot);

}  // namespace qokit::io
