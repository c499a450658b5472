// Tests of the quit signals while a blocking notice waits, each in a process of its own.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "app/QuitSignals.h"

#ifdef __linux__
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The death tests fork: the GL tests of this program may have left driver threads behind.
class QuitSignals : public testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

}  // namespace

TEST_F(QuitSignals, DuringANoticeASignalEndsTheProcessWithItsCode) {
    EXPECT_EXIT(
        {
            installQuitSignals();
            beginQuitExits(1);
            std::raise(SIGTERM);
            std::exit(9);  // not reached when the signal ended the process
        },
        testing::ExitedWithCode(1), "");
}

TEST_F(QuitSignals, ASignalBeforeTheNoticeEndsItBeforeItIsShown) {
    EXPECT_EXIT(
        {
            installQuitSignals();
            std::raise(SIGINT);
            beginQuitExits(1);
            std::exit(9);
        },
        testing::ExitedWithCode(1), "");
}

TEST_F(QuitSignals, AfterTheNoticeASignalOnlyRaisesTheFlag) {
    EXPECT_EXIT(
        {
            installQuitSignals();
            beginQuitExits(1);
            endQuitExits();
            std::raise(SIGHUP);
            std::exit(isQuitRequested() ? 7 : 8);
        },
        testing::ExitedWithCode(7), "");
}

TEST_F(QuitSignals, AProcessForkedDuringTheNoticeEndsWithTheGame) {
    // The notice's owner forks a stand-in for SDL's box process, which would wait for an
    // answer, waits until it runs, then gets SIGTERM: the box process must be gone too. It
    // holds the write end of a pipe until it dies.
    EXPECT_EXIT(
        {
            int held[2];
            int ready[2];
            if (pipe(held) != 0 || pipe(ready) != 0) {
                std::exit(9);
            }
            const pid_t game = fork();
            if (game == 0) {
                installQuitSignals();
                beginQuitExits(1);
                if (fork() == 0) {
                    close(held[0]);
                    const char byte = 'r';
                    if (write(ready[1], &byte, 1) != 1) {
                        _exit(9);
                    }
                    // NOTE: a stand-in that survives ends itself later, or it would hold the
                    // death test's own pipes open and hang the test instead of failing it.
                    alarm(20);
                    pause();
                    _exit(9);
                }
                char byte;
                if (read(ready[0], &byte, 1) != 1) {
                    _exit(9);
                }
                std::raise(SIGTERM);
                _exit(9);
            }
            close(held[1]);
            close(ready[1]);
            int status = 0;
            waitpid(game, &status, 0);
            // End of file: every write end is closed, so the box process has ended too.
            pollfd end{};
            end.fd = held[0];
            end.events = POLLIN;
            char byte;
            const bool boxGone = poll(&end, 1, 10000) == 1 && read(held[0], &byte, 1) == 0;
            std::exit(WIFEXITED(status) && WEXITSTATUS(status) == 1 && boxGone ? 0 : 9);
        },
        testing::ExitedWithCode(0), "");
}
#endif
