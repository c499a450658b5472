// QuitSignals: the signals that end the game as a window close does, from the first instant.
#pragma once

// Installs handlers for SIGINT, SIGTERM and SIGHUP that only raise a flag, and ignores
// SIGPIPE (a reader of standard output that goes away must not kill the game). Call first
// thing in main, before SDL starts: SDL then leaves these signals alone.
void installQuitSignals();

// True once one of those signals has arrived. The window's message pump turns it into a close.
bool isQuitRequested();
