// QuitSignals: a flag raised by the quit signals, and SIGPIPE ignored.
#include "app/QuitSignals.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t quitRequested = 0;

extern "C" void onQuitSignal(int) { quitRequested = 1; }
}  // namespace

void installQuitSignals() {
    std::signal(SIGINT, onQuitSignal);
    std::signal(SIGTERM, onQuitSignal);
#ifdef SIGHUP
    std::signal(SIGHUP, onQuitSignal);
#endif
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool isQuitRequested() { return quitRequested != 0; }
