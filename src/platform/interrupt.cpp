#include "platform/interrupt.h"

#include <csignal>

namespace qv::platform {
namespace {

volatile std::sig_atomic_t received = 0;

void onSignal(int signal) {
  received = signal;
  // The next one takes the default action: the process ends even if the game never looks again.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
}

}  // namespace

void CatchInterruptSignals() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return true;
  }();
  (void)installed;
}

int InterruptSignal() { return received; }

void ClearInterruptSignal() { received = 0; }

}  // namespace qv::platform
