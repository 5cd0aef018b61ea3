#pragma once
// The program's command line: `--help`, and exporting a journal or the whole library to a file
// without a window (for scripts and scheduled copies). The library and the journals are only
// read, and the library's lock is not taken: a window open on the same library is not disturbed.

// True when the arguments ask for the command line rather than the window.
bool IsCommandLine(int argc, char** argv);
// Runs it (the application object is made here, without a display); the exit status.
int RunCommandLine(int argc, char** argv);
