#pragma once
// The process and its console: interrupts, broken pipes, the terminal of
// standard error.

namespace platform {

// Calls `onInterrupt` when the user interrupts the process: Ctrl-C or SIGTERM,
// and on Windows also Ctrl-Break and closing the console window, which
// then waits (up to the system's limit) until interruptHandled() is called
// so that the batch can stop as Cancel stops it. `onInterrupt` must be
// async-signal-safe (a lock-free atomic store).
void installInterruptHandler(void (*onInterrupt)());
// Tells a waiting console-close that the process is done with its clean-up.
void interruptHandled();
// A write to a pipe whose reader went away fails instead of ending the
// process (no such signal on Windows).
void ignoreBrokenPipe();

// True when a Windows program can be started as it is (on Windows); elsewhere
// one needs a loader for it.
bool startsWindowsPrograms();

// True when standard error is a console or terminal (the progress line is
// drawn only there); its width in columns, or 0 when unknown.
bool stderrIsConsole();
int consoleColumns();
// Lets the console of standard error act on escape sequences ("\033[K");
// true when it does (a terminal always does; a Windows console only once
// its virtual-terminal mode is on, which older ones lack).
bool enableConsoleEscapes();

} // namespace platform
