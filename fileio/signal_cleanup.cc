#include "signal_cleanup.h"

#include <unistd.h>

#include <climits>
#include <cstring>

namespace qokit::io {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
// A program has its output and the help compilers' listing open at once.
constexpr int kSlots = 4;

// Written only while the signals are held, read by the handler.
char names[kSlots][PATH_MAX];
volatile sig_atomic_t used[kSlots];
bool installed = false;

extern "C" void RemoveAndResignal(int sig) {
  for (int i = 0; i < kSlots; ++i)
    if (used[i]) unlink(names[i]);
  // SA_RESETHAND has restored the default action; the raised signal is
  // delivered as soon as the handler returns.
  raise(sig);
}

void InstallHandlers() {
  installed = true;
  for (const int sig : kSignals) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
    struct sigaction action {};
    action.sa_handler = RemoveAndResignal;
    sigemptyset(&action.sa_mask);
    for (const int other : kSignals) sigaddset(&action.sa_mask, other);
    action.sa_flags = SA_RESETHAND;
    sigaction(sig, &action, nullptr);
  }
}

}  // namespace

SignalsHeld::SignalsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (const int sig : kSignals) sigaddset(&held, sig);
  sigprocmask(SIG_BLOCK, &held, &old_);
}

SignalsHeld::~SignalsHeld() { sigprocmask(SIG_SETMASK, &old_, nullptr); }

int RecordForRemoval(const char* path) {
  if (std::strlen(path) >= sizeof names[0]) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (used[i]) continue;
    if (!installed) InstallHandlers();
    std::strcpy(names[i], path);
    used[i] = 1;
    return i;
  }
  return -1;
}

void ForgetRemoval(int slot) {
  if (slot >= 0 && slot < kSlots) used[slot] = 0;
}

}  // namespace qokit::io
