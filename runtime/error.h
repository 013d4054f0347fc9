// Logging, fatal run-time errors, the line-based debugger stop on standard error and input,
// and the runtime's share of program start-up.
#pragma once
#include "runtime/string.h"

// Process arguments, kept for the run.
extern int kx_std_argc;
extern const char** kx_std_argv;
// Current debug location; nothing sets it in this program, so it stays null.
extern const char* dbg_info;
extern int dbg_suspend;
extern int dbg_stepmode;

// One UTF-8 line on standard output, flushed.
void kxPrint(const String& text);
void kxDebugLog(const String& text);
// Fatal error report; an empty message is the quiet exit with status 0.
[[noreturn]] void kxError(const String& message);

// The quiet exit, thrown instead of ending the process while a host call that can catch it is
// under way: the host then leaves its loop and shuts the windowing library down (giving the
// desktop back its video mode) before the program ends with status 0.
struct KxQuit {};
// Host calls under way that catch KxQuit; 0 means the quiet exit ends the process at once.
extern int kx_quit_catchers;
void kxDebugStop();
[[noreturn]] void dbg_error(const char* message);
String dbg_stacktrace();
void dbg_stop();
void dbg_print(const String& text);
void sighandler(int signal);
// A managed exception escaped: report it and exit with status -1.
[[noreturn]] void kxDie();
// Called once, at the first fatal run-time error (a failed check, a fault signal, an uncaught
// managed exception), before its report and the debugger stop, with the message and
// whether a fault signal raised it. The hosts that record and replay runs set it; it may
// end the process or throw KxQuit (never from a signal).
extern void (*kx_std_fatal)(const char* message, bool fromSignal);

// Start-up before the global initialisation: keep the arguments, install the fault handlers,
// choose the character-type locale and empty the collector's lists. gc_init2() follows kxInit.
void kx_std_startup(int argc, const char** argv);
