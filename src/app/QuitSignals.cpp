// QuitSignals: a flag raised by the quit signals, and SIGPIPE ignored.
#include "app/QuitSignals.h"

#include <csignal>
#include <cstdlib>

#ifdef __linux__
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace {
volatile std::sig_atomic_t quitRequested = 0;
// The exit code a quit signal ends the process with at once; -1 while the flag is enough.
volatile std::sig_atomic_t quitExitCode = -1;

extern "C" void onQuitSignal(int) {
    quitRequested = 1;
    const int code = quitExitCode;
    if (code >= 0) {
        std::_Exit(code);  // async-signal-safe, unlike exit()
    }
}

#ifdef __linux__
pid_t noticeOwner = 0;  // the process showing the notice

// Runs in the child of every fork. SDL's X11 box draws in a child and the parent only waits
// for it, so a box process must not outlive the game that a signal ended.
extern "C" void tieChildToNotice() {
    if (quitExitCode < 0) {
        return;
    }
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != noticeOwner) {
        _exit(quitExitCode);  // the game ended before the tie was made
    }
}
#endif
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
#ifdef __linux__
    pthread_atfork(nullptr, nullptr, tieChildToNotice);
#endif
}

bool isQuitRequested() { return quitRequested != 0; }

void beginQuitExits(int exitCode) {
#ifdef __linux__
    noticeOwner = getpid();
#endif
    quitExitCode = exitCode;
    if (quitRequested != 0) {
        std::_Exit(exitCode);  // the signal came before the notice: nobody will answer it
    }
}

void endQuitExits() { quitExitCode = -1; }
