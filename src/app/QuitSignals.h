// QuitSignals: the signals that end the game as a window close does, from the first instant.
#pragma once

// Installs handlers for SIGINT, SIGTERM and SIGHUP that only raise a flag, and ignores
// SIGPIPE (a reader of standard output that goes away must not kill the game). Call first
// thing in main, before SDL starts: SDL then leaves these signals alone.
void installQuitSignals();

// True once one of those signals has arrived. The window's message pump turns it into a close.
bool isQuitRequested();

// While a blocking notice waits for its answer (SDL's error box, which waits for a process
// of its own), nothing reads the flag. Between these two calls a quit signal therefore ends
// the process at once with exitCode, and on Linux a process forked meanwhile (the box's)
// is ended by the kernel as this one goes, which takes its box off the screen.
void beginQuitExits(int exitCode);
void endQuitExits();
